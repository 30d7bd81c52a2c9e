' BM4: BM2 with arithmetic on constants
*MAIN
  K& = 0
*L
  K& = K& + 1
  A# = K& / 2 * 3 + 4 - 5
  If K& < @N@ Then Goto *L
Return
