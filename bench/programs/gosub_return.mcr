' GOSUB/RETURN in a loop: a call that pushes and pops one control entry.
' iterations: 1000000
*MAIN
  N& = 0
  For I& = 1 To 1000000
    Gosub *WORK
  Next I&
  If N& <> 1000000 Then Print "wrong count "; N&
Return

*WORK
  N& = N& + 1
Return
