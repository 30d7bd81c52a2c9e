' BM8: powers, logarithms and sines
*MAIN
  K& = 0
*L
  K& = K& + 1
  A# = K& ^ 2 : B# = Log(K&) : C# = Sin(K&)
  If K& < @N@ Then Goto *L
Return
