' A file written with Print # and read back with Line Input #, Input #,
' Input$ and Eof, in a directory of its own that is removed at the end.
*MCRINIT
  Dir$ = "/tmp/macro_sc_test_file_roundtrip"
  Kill Dir$
  Mkdir Dir$
  Open Dir$ + "/data.txt" For Output As #1
  Print #1, "alpha", 42
  Print #1, "one, two"; " three"
  Print #1, 1.5; ","; -7
  Print #1,
  Print #1, "tail";
  Close #1
  Print "IsFile:"; IsFile(Dir$), IsFile(Dir$ + "\data.txt"), IsFile(Dir$ + "/*.txt"), IsFile(Dir$ + "/*.doc")

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
  ' The separator before "#" may be ",", ":" or nothing.
  Tail$ = Input$(2, #1) + Input$(1 : #1) + Input$(1 #1) + Input$(0, #1)
  Print "Input$: ["; Tail$; "] Eof:"; Eof(1)
  Close

  ' Appending keeps what is there; Fcopy replaces its destination.
  Open Dir$ + "\data.txt" For Append As #2
  Print #2, "more"
  Close #2
  Open Dir$ + "/copy.txt" For Output As #3 : Print #3, "old" : Close #3
  Fcopy Dir$ + "\data.txt", Dir$ + "\copy.txt"
  Open Dir$ + "/copy.txt" For Input As #3
  All$ = Input$(46, #3)
  Print "Copied bytes:"; Len(All$); " Eof:"; Eof(3); " starts with: "; Left$(All$, 5)
  Close #3

  Free# = Dskf(Dir$)
  Print "Dskf positive:"; Free# > 0; " missing:"; Dskf(Dir$ + "/missing")
  Kill Dir$
  Print "After Kill:"; IsFile(Dir$)
Return
