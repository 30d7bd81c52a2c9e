' Lines deleted under a running program: the places the run keeps, a
' Gosub's return and a For's line, move with their lines; a routine whose
' caller's line is deleted ends the run at its Return.
*CALL
  Gosub *DROP
  Print "back from *DROP"
  Return
*DROP
  Delete 10
  Return
*LOOP
  N& = 0
  For I& = 1 To 3
    N& = N& + 1 : If I& = 2 Then Delete 20
  Next
  Print "passes"; N&
  Return
*CALLER
  Gosub *CUT
  Print "not printed"
  Return
*CUT
  Delete 190
  Print "line of the Gosub deleted"
  Return
*LIST
  List
  Return
