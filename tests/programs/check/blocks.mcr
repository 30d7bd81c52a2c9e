' Blocks that do not close, closers without their block, and the Python
' and BASIC habits the language does not share.
*MAIN
  Ready& = 1
  If Ready& Then
    Print "runs on without ever looking for EndIf"
  For I& = 1 To 3
    For J& = 1 To 2
    Next I&
  Next J&
  Do
    Select I&
      Case 1 : Print "one"
    End Select
  Loop
  While Ready&
  Try
    Print 1 / 0
  Catch
  ParallelExecute
  Exit For
Return
Next
Else
*OTHER
  If Ready& = 0 Then
    Print "no"
  End If
Return
*ELSEIF
  If I& = 1 Then
    Print "one"
  Else If I& = 2 Then
    Print "two"
  EndIf
Return
