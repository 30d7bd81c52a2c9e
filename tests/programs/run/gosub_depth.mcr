' The host's call and 27 nested Gosubs fill the control stack; the next
' Gosub jumps to its routine and then fails for want of room.
*MAIN
  Gosub *DEEPER
  Return
*DEEPER
  D& = D& + 1
  If D& = 27 Then Print "27 nested calls"
  Gosub *DEEPER
  Return
