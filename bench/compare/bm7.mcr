' BM7: BM6 storing into an array
*MAIN
  K& = 0
  Dim M&(5)
*L
  K& = K& + 1
  A# = K& / 2 * 3 + 4 - 5
  Gosub *S
  For L& = 1 To 5 : M&(L&) = A# : Next L&
  If K& < @N@ Then Goto *L
Return
*S
Return
