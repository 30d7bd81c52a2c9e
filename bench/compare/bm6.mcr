' BM6: BM5 and an inner FOR of five passes
*MAIN
  K& = 0
  Dim M&(5)
*L
  K& = K& + 1
  A# = K& / 2 * 3 + 4 - 5
  Gosub *S
  For L& = 1 To 5 : Next L&
  If K& < @N@ Then Goto *L
Return
*S
Return
