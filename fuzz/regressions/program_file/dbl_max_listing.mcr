' Text and conversion functions: slicing, piece: End Try
  Print Chr$(65); Chr$(66); " "; Asc(""); " "; Asc("a"); " "; Asc(Chr$(200)); " "; Len(Chr$(0))
  Try : X$ = Chr$(256) : Catch : Print "Chr$(256): "; Errno : End Try
  Try : X$ = Chr$(-1) : Catch : Print "Chr$(-1): "; Errno : End Try
  Print Hex$(255); " "; Hex$(0); " "; Hex$(-1); " "; Len(123); " "; Len(0.5)
  Print Str$(0.1); " "; Str$(1/3); " "; Str$(-42)
  Print "["; Str2$(1234.5, 3, 2, 0, 0); "] ["; Str2$(-1234.5, 3, 2, 0, 0); "] ["; Str2$(7, 3, 0, 1, 0); "] ["; Str2$(7, 3, 0, 0, 0); "]"
  Print "["; Str2$(-3.14, 0, 1, 0, 1); "] ["; Str2$(-50, 2, 1, 1, 1); "] ["; Str2$(2, 0, 3, 0, 1); "]"
  Try : X$ = Str2$(1, 10, 6, 0, 0) : Catch : Print "Str2$ w + p = 16: "; Errno : End Try
  Print Len(Str2$(1.7976931348623157E+308, 0, 15, 0, 0))
  Print Val("&HFF"); " "; Val("12abc"); " "; Val("x"); " "; Val(2.5); " "; Val("1e3") + 1
  Print UCase$("MiXed 1"); " "; LCase$("MiXed 1")
  Return
