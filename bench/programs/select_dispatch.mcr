' A SELECT dispatch in a loop: four cases, the matching one found in turn
' by testing each CASE and skipping forward to the next.
' iterations: 1000000
*MAIN
  A& = 0 : B& = 0 : C& = 0 : D& = 0
  For I& = 1 To 1000000
    Select I& MOD 4
      Case 0
        A& = A& + 1
      Case 1
        B& = B& + 1
      Case 2
        C& = C& + 1
      Case Else
        D& = D& + 1
    End Select
  Next I&
  If A& + B& + C& + D& <> 1000000 Then Print "wrong count"
Return
