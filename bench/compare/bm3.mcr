' BM3: BM2 with arithmetic on the counter
*MAIN
  K& = 0
*L
  K& = K& + 1
  A# = K& / K& * K& + K& - K&
  If K& < @N@ Then Goto *L
Return
