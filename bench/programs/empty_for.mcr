' An empty FOR loop: the cost of one NEXT pass (limit and step re-read).
' iterations: 1000000
*MAIN
  For I& = 1 To 1000000
  Next I&
Return
