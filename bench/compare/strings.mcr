' string building: append one character, cut back every 100
*MAIN
  S$ = ""
  For K& = 1 To @N@
    S$ = S$ + Chr$(65 + K& MOD 26)
    If Len(S$) >= 100 Then S$ = Mid$(S$, 50, 10)
  Next K&
Return
