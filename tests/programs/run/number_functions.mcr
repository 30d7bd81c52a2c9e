' Number, clock and elementary functions, with their refusals.
*MCRINIT
  Print Abs(-5); " "; Abs(-2.5); " "; Abs(7); " "; Abs(-INT_MIN); " "; Abs(-1E-300 * 1E-300)
  Print Int(-2.5); " "; Int(2.5); " "; Int(-2.0); " "; Fix(-2.5); " "; Fix(2.9); " "; Int(-2.0000001); " "; Int(-2.00001)
  Print Int(3e9); " "; Int(-3e9 - 0.5); " "; Int(3e9) - 1
  Print Sqr(16); " "; Exp(0); " "; Log(1); " "; Sin(0); " "; Cos(0); " "; Tan(0); " "; Atn(0)
  Print Int(Atn(1) * 4 * 10000)
  Try : X# = Sqr(-1) : Catch : Print "Sqr(-1): "; Errno : End Try
  Try : X# = Log(0) : Catch : Print "Log(0): "; Errno : End Try
  Try : X# = Log(-1) : Catch : Print "Log(-1): "; Errno : End Try
  D$ = Date$ : T$ = Time$
  Print Len(D$); Mid$(D$, 3, 1); Mid$(D$, 6, 1); " "; Len(T$); Mid$(T$, 3, 1); Mid$(T$, 6, 1)
  S# = StartTimer
  U& = Timer(S#, 1)
  If U& >= 0 And U& < 1000000 Then Print "microseconds ok"
  If Timer(S# - 2000000000, 0) >= 2000 Then Print "milliseconds ok"
  If Timer(StartTimer * 2 + 1E+12, 0) > 1000000 Then Print "wrapped"
  Try : D$ = Date$() : Catch : Print "Date$(): "; Errno : End Try
  Return
