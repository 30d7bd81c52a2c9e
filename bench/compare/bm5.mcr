' BM5: BM4 and a subroutine call
*MAIN
  K& = 0
*L
  K& = K& + 1
  A# = K& / 2 * 3 + 4 - 5
  Gosub *S
  If K& < @N@ Then Goto *L
Return
*S
Return
