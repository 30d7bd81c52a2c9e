' The errors of the file statements, each trapped and printed with its
' number; after every failure the slots are as they were.
*MCRINIT
  Dir$ = "/tmp/macro_sc_test_file_errors"
  Kill Dir$
  Mkdir Dir$
  Open Dir$ + "/empty.txt" For Output As #1
  Close #1
  Open Dir$ + "/empty.txt" For Input As #1
  Print "Eof of an empty file:"; Eof(1)
  Try : Open Dir$ + "/other.txt" For Output As #1 : Catch : Print "same slot twice:"; Errno : End Try
  Print "other.txt made:"; IsFile(Dir$ + "/other.txt")
  Try : Line Input #1, L$ : Catch : Print "Line Input at the end:"; Errno : End Try
  Try : L$ = Input$(1, #1) : Catch : Print "Input$ at the end:"; Errno : End Try
  Try : L$ = Input$(-1, #1) : Catch : Print "Input$ of -1:"; Errno : End Try
  Print "slot 1 still open, Eof:"; Eof(1)
  Close

  Try : Open Dir$ + "/missing.txt" For Input As #2 : Catch : Print "missing file:"; Errno : End Try
  Try : Print Eof(2) : Catch : Print "Eof of a closed slot:"; Errno : End Try
  Try : Print #2, "x" : Catch : Print "Print # to a closed slot:"; Errno : End Try
  Try : Open Dir$ For Input As #2 : Catch : Print "directory for input:"; Errno : End Try
  Try : Open Dir$ + "/new.txt" For Output As #16 : Catch : Print "slot 16:"; Errno : End Try
  Print "new.txt made:"; IsFile(Dir$ + "/new.txt")
  Try : Close #16 : Catch : Print "Close #16:"; Errno : End Try
  Try : Print Eof(16) : Catch : Print "Eof(16):"; Errno : End Try
  Try : Mkdir Dir$ : Catch : Print "Mkdir of an existing directory:"; Errno : End Try
  Try : Rmdir Dir$ : Catch : Print "Rmdir of a full directory:"; Errno : End Try
  Try : Fcopy Dir$ + "/missing.txt", Dir$ + "/x.txt" : Catch : Print "Fcopy of a missing file:"; Errno : End Try
  Try : Open Dir$ + "/x.txt" As #2 : Catch : Print "no mode:"; Errno : End Try

  ' A directory tree goes at once; a pattern that matches nothing is no error.
  Mkdir Dir$ + "/a"
  Mkdir Dir$ + "\a\b"
  Open Dir$ + "/a/b/deep.txt" For Output As #4 : Print #4, "deep" : Close #4
  Kill Dir$ + "/a"
  Print "tree after Kill:"; IsFile(Dir$ + "/a")
  Kill Dir$ + "/*.none"
  Kill Dir$
  Print "all gone:"; IsFile(Dir$)
Return
