' Loops that run many passes over the same statements: a sieve over an
' integer array, sums that leave the 32-bit range, an overflow in the
' middle of a loop, and a routine called from a one-line If in a loop.
*MAIN
  Dim F&(50)
  For I& = 2 To 50 : F&(I&) = 1 : Next
  For I& = 2 To 7
    If F&(I&) = 1 Then For J& = I& * I& To 50 Step I& : F&(J&) = 0 : Next J&
  Next I&
  For I& = 2 To 50 : If F&(I&) Then Print I&; " ";
  Next : Print
  S& = 0 : T# = 0
  For I& = 1 To 100000 : S& = S& + I& MOD 7 : T# = T# + I& : Next
  Print S&; " "; T# - 5000000000
  Try
    X& = 2147483600
    For I& = 1 To 100 : X& = X& + 1 : Next
  Catch
    Print "overflow "; Errno; " at "; I&; " ["; Errcmnd$; "] "; X&
  End Try
  N& = 0
  For I& = 1 To 10 : If I& MOD 3 = 0 Then Gosub *COUNT Else N& = N& - 1
  Next
  Print N&
  For I& = 10 To 1 Step -4.4 : Print I&; " "; : Next : Print "| "; I&
  Return
*COUNT
  N& = N& + 10
  Return
