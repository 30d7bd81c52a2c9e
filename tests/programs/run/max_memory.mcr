' With --max-memory a text that would pass the limit is error 7 for the
' program, which may catch it and go on once the memory is given back.
*MAIN
  Try
    Gosub *GROW
  Catch
    Print "caught"; Errno
  End Try
  A$ = ""
  Dim B#(1000)
  Print "goes on"
  Gosub *GROW
  Print "not printed"
  Return
*GROW
  A$ = "0123456789012345678901234567890123456789012345678901234567890123"
  For I& = 1 To 20
    A$ = A$ + A$
  Next I&
  Return
