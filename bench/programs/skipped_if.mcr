' A block IF whose condition is false: the forward search skips its body.
' iterations: 1000000
*MAIN
  F& = 0
  For I& = 1 To 1000000
    If F& Then
      F& = F& + 1
      F& = F& * 2
      Print "never"
    EndIf
  Next I&
Return
