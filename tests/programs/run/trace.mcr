' Trace mode prints every numbered line before it runs, also the lines
' reached by jumps and loops; a trapped error is still reported.
*MAIN
  Debug 2
  For I& = 1 To 2
  Next
  Gosub *ROUTINE
  If I& = 3 Then
    Print "then"
  Else
    Print "not printed"
  EndIf
  Try : X& = 1 / 0 : Catch : Print "Err "; Err; " Erl "; Erl : End Try
  Debug 1
  Return
*ROUTINE
  Return
