' An assignment loop closed by a one-line IF ... THEN to a label.
' iterations: 1000000
*MAIN
  I& = 0
*AGAIN
  I& = I& + 1
  If I& < 1000000 Then *AGAIN
Return
