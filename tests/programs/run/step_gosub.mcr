' Single-stepping across routine calls: step over runs a whole routine and
' stops after its call; step out runs to the routine's Return and stops in
' the caller.
*MAIN
  Debug 17
  Stop
  Gosub *ROUTINE
  Print "after first call"
  Gosub *ROUTINE
  Print "after second call"
  Return
*ROUTINE
  Print "in routine"
  Return
