' VarPush and VarPop, the 16-block stack, and the undo of pushes when a run
' ends with an error nobody traps (a run started from the debug console).
*MAIN
  X& = 1 : Y# = 2.5 : S$ = "s"
  VarPush X&, Y#
  X& = 10 : Y# = 20
  VarPop
  Print X&; " "; Y#
  ' a text in the list: nothing is pushed
  Try : VarPush X&, S$ : Catch : Print "VarPush X&, S$: "; Errno : End Try
  Try : VarPop : Catch : Print "VarPop: "; Errno : End Try
  For I& = 1 To 17
    Try : VarPush X& : Catch : Print "push "; I&; ": "; Errno : End Try
  Next
  Clear
  Try : VarPop : Catch : Print "VarPop after Clear: "; Errno : End Try
  X& = 1
  Debug 17
  Stop
  Print "after stop "; X&
  Return
*FAIL
  VarPush X&
  X& = 9
  Y& = 1 / 0
