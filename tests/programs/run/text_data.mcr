' Keyed texts of a text-data file ("key=text" lines, UTF-8).
*MCRINIT
  Dir$ = "/tmp/macro_sc_test_text_data"
  Kill Dir$
  Mkdir Dir$
  Open Dir$ + "/texts.txt" For Output As #1
  Print #1, "; texts of the inspection screen"
  Print #1, "TITLE=Inspection"
  Print #1, "NG=Bad part = reject"
  Print #1, "EMPTY="
  Close #1
  OpenTextData Dir$ + "\texts.txt" As #0
  Print GetText$(#0, "TITLE")
  Print GetText$(#0 "NG")
  Print "["; GetText$(#0, "EMPTY"); "] ["; GetText$(#0, "MISSING"); "] ["; GetText$(#0, "title"); "]"
  Try : OpenTextData Dir$ + "/texts.txt" As #0 : Catch : Print "same slot:"; Errno : End Try
  Try : OpenTextData Dir$ + "/none.txt" As #1 : Catch : Print "missing file:"; Errno : End Try
  Try : Print GetText$(#1, "TITLE") : Catch : Print "empty slot:"; Errno : End Try
  Try : Print GetText$(#16, "TITLE") : Catch : Print "slot 16:"; Errno : End Try
  CloseTextData #0, #1
  Try : Print GetText$(#0, "TITLE") : Catch : Print "after CloseTextData:"; Errno : End Try
  Kill Dir$
  Print "cleaned up:"; IsFile(Dir$)
Return
