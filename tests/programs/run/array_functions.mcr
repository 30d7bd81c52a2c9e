' Array and address functions, which read their own arguments.
*MCRINIT
  Dim A&(2, 3), S$(4)
  Print ArrayDims(A&()); " "; ArrayLen(A&()); " "; ArrayLen(A&(), 0); " "; ArrayLen(A&(), 1); " "; ArrayLen(A&(), -1); " "; ArrayLen(S$())
  Try : N& = ArrayLen(A&(), 2) : Catch : Print "no third dimension: "; Errno : End Try
  Try : N& = ArrayDims(U#()) : Catch : Print "not dimensioned: "; Errno : End Try
  Try : N& = ArrayDims(A&) : Catch : Print "no parentheses: "; Errno : End Try
  ' neighbouring elements lie 4 bytes apart, rows 16 bytes apart
  Print VarPtr(A&(0, 1)) - VarPtr(A&(0, 0)); " "; VarPtr(A&(1, 0)) - VarPtr(A&(0, 0))
  Try : N& = VarPtr(A&(3, 0)) : Catch : Print "outside: "; Errno : End Try
  Try : N& = VarPtr(1) : Catch : Print "no variable: "; Errno : End Try
  Try : N& = VarPtr(R@) : Catch : Print "reference: "; Errno : End Try
  Return
