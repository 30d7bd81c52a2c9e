' Text and conversion functions: slicing, piece: End Try
  Print Chr$(65); C$(-1): "; Errno : End Try
  Print Hex$(255); " "; Hex$(0); " "; Hex$(-1); " "; Len(123); " "; Len(0.5)
  , 0))
  Print Val("&HFF"); " "; Val("12abc"); " "; Val("x"); " "; Val(2ÿÿÿ..5); " "; Val("1e3") + 1
  Print UCaX&$("´MiXed 1"); " "; LCase$("MiXed 1")
  Return
