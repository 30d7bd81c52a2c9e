' A function word that needs arguments must be followed by "(".
*MAIN
  Print Len("abc")
  X& = Len "abc"
  Print "not printed"
  Return
