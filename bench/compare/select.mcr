' a SELECT over four cases, the matching one found in turn
*MAIN
  For K& = 1 To @N@
    Select K& MOD 4
      Case 0
        A& = A& + 1
      Case 1
        B& = B& + 1
      Case 2
        C& = C& + 1
      Case Else
        D& = D& + 1
    End Select
  Next K&
Return
