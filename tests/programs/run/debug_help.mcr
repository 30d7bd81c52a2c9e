' Typed lines at the debug console: help, a look at a variable, a change, Cont.
*MAIN
  Debug 16
  A& = 1
  Stop
  Print "A is"; A&
Return
