' BM2: a counter, an IF and a GOTO back
*MAIN
  K& = 0
*L
  K& = K& + 1
  If K& < @N@ Then Goto *L
Return
