' Goto, Gosub and Return, On ... Goto / Gosub, Run, Sub headers.
  Print "line 20"; : Return
*MCRINIT
  Print "init "; R&
  R& = R& + 1
  Return
*MAIN
  Goto *SKIP
  Print "not printed"
*SKIP
  Gosub *TWICE : Print "back"
  ' a line number: this file's lines are numbered 10, 20, 30 ...
  Gosub 20 : Print
  For I& = 0 To 4
    On I& Gosub *ONE, *TWO, 20
    Print "| after on "; I&
  Next
  On 2 Goto 100, *ONGOTO, 300
  Print "not printed"
*ONGOTO
  Print "on goto label"
  On 1.5 Goto *HALF, *ROUNDED
*HALF
  Print "not printed"
*ROUNDED
  Print "1.5 rounds to 2"
  ' Run calls *MCRINIT and comes back after it
  Run : Print "after run "; R&
  Gosub *SUBHEAD
  ' a label after Sub does not begin its line, so no jump finds it
  Try : Gosub *INNER : Catch : Print "sub label not found: "; Errno : End Try
  Return
*TWICE
  Print "twice";
  Return
*ONE
  Print "one";
  Return
*TWO
  Print "two";
  Return
*SUBHEAD
  ' a Sub header is only checked when execution passes it
  Sub *INNER()
  Print "through sub header"
  Return
