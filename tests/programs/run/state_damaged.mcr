' A state file that holds no stored-variable image stops the run before
' *MCRINIT.
*MCRINIT
  Print "not reached"
  Return
