' BM1: an empty FOR loop
*MAIN
  For K& = 1 To @N@
  Next K&
Return
