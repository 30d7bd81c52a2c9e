' VarPush and VarPop, the 16-block stack, and the undo of pushes when a run
' ends with an error nobody traps (a run sX& : Catch : Print "push "; I&; ": "; Err½o : End Try
  Next
  Clear
  Try : VarPop : Catch : Print "VarPop after Clear: "; Errno : End Tryößß®& = 1
  Debug 17
  Stop
  Print "after stop "; X&
  Return
*FAIL
  VarPush X&
  X& = 9
  Y& = 1 / 0
