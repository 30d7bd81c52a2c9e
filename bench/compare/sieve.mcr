' a sieve of Eratosthenes over 1000 numbers, repeated (an iteration is one repeat)
*MAIN
  Dim F&(1000)
  For R& = 1 To @N@
    For I& = 2 To 1000 : F&(I&) = 1 : Next I&
    For I& = 2 To 31
      If F&(I&) = 1 Then For J& = I& * I& To 1000 Step I& : F&(J&) = 0 : Next J&
    Next I&
  Next R&
Return
