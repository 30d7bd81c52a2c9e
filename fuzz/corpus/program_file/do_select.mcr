' Do / Loop While, Exit Do, and Select Case on numbers and texts.
*MAIN
  I& = 0
  Do
    I& = I& + 1
  Loop While I& < 5
  Print "do ran to "; I&
  ' the body runs once even when the condition is false from the start
  Do : Print "once" : Loop While 0
  ' a double condition, and NaN-free zero
  D# = 1.5
  Do : D# = D# - 0.5 : Loop While D#
  Print "double loop ended at "; D#
  ' Exit Do passes the nested loops and the condition after Loop
  I& = 0
  Do
    I& = I& + 1
    Do : J& = J& + 1 : Loop While J& < 3
    For K& = 1 To 2 : Next
    If I& = 4 Then Exit Do
  Loop While 1
  Print "exit do at "; I&
  For N& = 1 To 4 : Gosub *NUMBER : Next
  S$ = "abc" : Gosub *TEXT
  S$ = "ABC" : Gosub *TEXT
  S$ = "x" : Gosub *TEXT
  ' a number selector compares as a double
  Select 2
    Case 2.0 : Print "2 matches 2.0"
  End Select
  ' a text selector owned by the block survives changes of its source
  S$ = "keep"
  Select S$
    Case "x" : Print "not printed"
    Case "keep" : S$ = "changed"
    Case "keep" : Print "not printed: the matched body runs into End Select"
  End Select
  Print "S$="; S$
  Return
*NUMBER
  Select N& * 2
    Print "never printed: before the first Case"
    Case 2
      Print "two"
    Case 4 : Print "four"
    Case N& + 4
      Print "n plus four"
    Case Else
      Print "else "; N&
  End Select
  Return
*TEXT
  Select S$
    Case "ABC"
      Print "upper"
    Case "ab" + "c"
      Print "lower"
    Case Else
      Print "no match for "; S$
  End Select
  Return
