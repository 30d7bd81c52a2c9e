' Nineteen nested For loops fill the control stack next to the host's own
' call; the twentieth gives an internal error.
*MAIN
  For A& = 1 To 1 : For B& = 1 To 1 : For C& = 1 To 1 : For D& = 1 To 1 : For E& = 1 To 1
  For F& = 1 To 1 : For G& = 1 To 1 : For H& = 1 To 1 : For I& = 1 To 1 : For J& = 1 To 1
  For K& = 1 To 1 : For L& = 1 To 1 : For M& = 1 To 1 : For N& = 1 To 1 : For O& = 1 To 1
  For P& = 1 To 1 : For Q& = 1 To 1 : For R& = 1 To 1 : For S& = 1 To 1 : Print "19 loops"
  For T& = 1 To 1 : Print "not printed"
  Return
