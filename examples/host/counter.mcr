' The macro program of the example host. COUNT@ is bound by the host to a
' global data item of the controller; PARTS&& and LOG$$ are stored
' variables, which the host carries over to the next macro object.
*MCRINIT
  LIMIT& = 3
  Return
*INSPECT
  PARTS&& = PARTS&& + 1
  COUNT@ = PARTS&& * 10
  LOG$$ = LOG$$ + "P" + Str$(PARTS&&) + " "
  If PARTS&& > LIMIT& Then Print "limit reached after "; PARTS&&; " parts"
  Return
*WAITPART
  ' Polls for the next part. Nothing feeds parts here, so the routine never
  ' returns on its own: the host's watchdog stops it.
  Do : WAITS& = WAITS& + 1 : Loop While PARTS&& < 100
  Return
*AVERAGE
  ' Parts per poll; fails after no polls, and the host reads why.
  AVERAGE# = PARTS&& / WAITS&
  Return
