' Call and SetUserSubroutine refuse what they cannot do.
*MAIN
  Try : Call "Unknown", 1, 2.5, "three" : Catch : Print "unregistered: "; Errno : End Try
  Try : Call "Unknown", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33 : Catch : Print "33 arguments: "; Errno : End Try
  Try : Call "Unknown", EMPTY! : Catch : Print "empty variant: "; Errno : End Try
  Try : SetUserSubroutine "X", "libnothing.so", "X" : Catch : Print "no library: "; Errno : End Try
  P$ = "P"
  For I& = 1 To 8 : P$ = P$ + P$ : Next I&
  Try : SetUserSubroutine "X", "libnothing.so", P$ : Catch : Print "procedure of "; Len(P$); " bytes: "; Errno : End Try
  Call "Unknown"
  Print "not printed"
  Return
