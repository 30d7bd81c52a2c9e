' A file written with Print # and read back with Input #, Line Input #,
' Input$ and Eof, in a directory of its own that is removed at the end.
*MCRINIT
  Dir$ = "/tmp/macro_sc_test_file_roundtrip"
  Kill Dir$
  Mkdir Dir$
  Print "IsFile dir:"; IsFile(Dir$)
  Open Dir$ + "/data.txt" For Output As #1
  Print #1, "alpha", 42
  Print #1, "one, two"; " three"
  Print #1, 1.5; ","; -7
  Print #1,
  Print #1, "tail";
  Close #1
  Print "IsFile file:"; IsFile(Dir$ + "\data.txt")

  Open Dir$ + "/data.txt" For Input As #1
  ' "," between Print items is a TAB, so this line is one field.
  Line Input #1, Whole$
  Print "Line Input: ["; Whole$; "] length"; Len(Whole$)
  Line Input #1, Comma$
  Print "Line Input keeps commas: ["; Comma$; "]"
  Input #1, X#, Y&
  Print "Input: "; X#; " "; Y&
  Line Input #1, Empty$
  Print "CR LF blank line: ["; Empty$; "]"
  Print "Eof before tail:"; Eof(1)
  Tail$ = Input$(4, #1)
  Print "Input$: ["; Tail$; "] Eof:"; Eof(1)
  Close

  ' Appending keeps what is there.
  Open Dir$ + "\data.txt" For Append As #2
  Print #2, "more"
  Close #2
  Open Dir$ + "/data.txt" For Input As #2
  All$ = Input$(46, #2)
  Print "Bytes:"; Len(All$); " Eof:"; Eof(2)
  Close #2

  Fcopy Dir$ + "/data.txt", Dir$ + "/copy.txt"
  Open Dir$ + "/copy.txt" For Input As #3
  Line Input #3, First$
  Close #3
  Print "Copy starts with: "; Left$(First$, 5)

  Kill Dir$
  Print "After Kill:"; IsFile(Dir$)
Return
