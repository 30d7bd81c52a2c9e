' String processing: a report built from the result records of a shift.
'
' Each record is one line of text as a line controller might send it over a
' serial link: "station;part;width;verdict". *MAIN splits each record with
' Piece$, cleans the fields with Mid$ and UCase$, formats the numbers with
' Str2$ into fixed columns and prints the report with a summary line.
Option Explicit

*MCRINIT
  ' The records of the shift, in the order they arrived.
  Dim Records$(8), RecordCount&
  Records$(1) = "st1;A-100;25.031;ok"
  Records$(2) = "st1;A-101;24.87;ng"
  Records$(3) = "st2;A-102;25.1;ok"
  Records$(4) = "st2;A-103;25.004;Ok"
  Records$(5) = "st1;A-104;26.2;NG"
  Records$(6) = "st3;A-105;24.99;ok"
  RecordCount& = 6
  ' The field separator and the report's rule line.
  Dim SEP$, RULE$
  SEP$ = ";"
  RULE$ = "----------------------------------"
  ' Working fields of one record.
  Dim Station$, Part$, Verdict$, Width#, Line$, I&
  Dim OkCount&, NgCount&, Total#
Return

*MAIN
  OkCount& = 0 : NgCount& = 0 : Total# = 0
  Print "STATION  PART     WIDTH    VERDICT"
  Print RULE$
  For I& = 1 To RecordCount&
    Gosub *SPLIT
    Gosub *FORMAT
    Print Line$
  Next I&
  Print RULE$
  ' The mean width in the same format as the column.
  Print "Parts: "; RecordCount&; "  OK: "; OkCount&; "  NG: "; NgCount&
  Print "Mean width: "; Str2$(Total# / RecordCount&, 2, 3, 0, 0)
Return

*SPLIT
  ' Pieces are numbered from 1; asking for piece N to N gives one field.
  Station$ = UCase$(Piece$(Records$(I&), SEP$, 1, 1))
  Part$ = Piece$(Records$(I&), SEP$, 2, 2)
  Width# = Val(Piece$(Records$(I&), SEP$, 3, 3))
  ' Verdicts come in any case from the stations: compare them in upper case.
  Verdict$ = UCase$(Piece$(Records$(I&), SEP$, 4, 4))
Return

*FORMAT
  ' "ST1" becomes "1": Mid$ from the third byte to the end of the name.
  Line$ = "#" + Mid$(Station$, 3, 10) + "       "
  ' Pad the part name to a column of nine bytes.
  Line$ = Line$ + Left$(Part$ + "         ", 9)
  ' Widths in a fixed column: two digits, a point and three decimals.
  Line$ = Line$ + Str2$(Width#, 2, 3, 0, 0) + "   "
  If Verdict$ = "OK" Then
    Line$ = Line$ + "pass"
    OkCount& = OkCount& + 1
  Else
    Line$ = Line$ + "FAIL"
    NgCount& = NgCount& + 1
  EndIf
  Total# = Total# + Width#
Return
