' A variable the host cannot set ends the run with status 2 before the
' labels run.
*MCRINIT
  Print "init"
  Return
*MAIN
  Print "not reached"
  Return
