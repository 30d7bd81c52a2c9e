' Least-squares line, distance from a line, intersection of lines and the
' circle fit of the simulated controller.
*MCRINIT
  Dim X#(2), Y#(2), L#(2)
  X#(0) = 0 : X#(1) = 1 : X#(2) = 2
  Y#(0) = 1 : Y#(1) = 3 : Y#(2) = 5
  Lsqumeth 3, X#(), Y#(), L#()
  Print "line "; L#(0); " "; L#(1); " "; L#(2)
  Print "distance "; Str2$(Dposline(1, 0, L#()) ^ 2, 0, 9, 0, 0)
  ' points on a vertical line take the second form: b = 0
  Dim V#(2)
  V#(0) = 2 : V#(1) = 2 : V#(2) = 2
  Lsqumeth 3 : V#() : Y#() : L#()
  Print "vertical "; L#(0); " "; L#(1); " "; L#(2); " at "; Dposline(0, 0, L#())
  Try : Lsqumeth 0, X#(), Y#(), L#() : Catch : Print "no points: "; Errno : End Try
  Try : Lsqumeth 4, X#(), Y#(), L#() : Catch : Print "too few elements: "; Errno : End Try
  Try : Lsqumeth 3, X#, Y#(), L#() : Catch : Print "not an array: "; Errno : End Try
  Dim M#(2, 2)
  Try : Lsqumeth 3, M#(), Y#(), L#() : Catch : Print "two dimensions: "; Errno : End Try

  Dim A#(2), B#(2), P#(2), R&(1)
  A#(0) = 1 : A#(2) = -1
  B#(1) = 1 : B#(2) = -2
  Crspoint A#(), B#(), PX#, R&(1)
  Print "crossing "; PX#; " "; R&(1)
  P#(0) = 2 : P#(2) = -7
  Try : Crspoint A#(), P#(), PX#, PY# : Catch : Print "parallel: "; Errno : End Try
  Try : Crspoint A#(), B#(), PX#, 5 : Catch : Print "no variable: "; Errno : End Try
  Try : X# = Dposline(0, 0, P#() : Catch : Print "unclosed: "; Errno : End Try
  P#(0) = 0
  Try : X# = Dposline(0, 0, P#()) : Catch : Print "no line: "; Errno : End Try
  Try : X# = Dposline(0, 0, Q#()) : Catch : Print "undimensioned: "; Errno : End Try

  ' the twelve whole-numbered points of the circle with centre (40, -25) and
  ' radius 5, the y values moved by a small deterministic wobble
  Dim CX&(11), CY#(11)
  P$ = "5,4,3,0,-3,-4,-5,-4,-3,0,3,4"
  Q$ = "0,3,4,5,4,3,0,-3,-4,-5,-4,-3"
  For K& = 0 To 11
    CX&(K&) = 40 + Val(Piece$(P$, ",", K& + 1, K& + 1))
    CY#(K&) = -25 + Val(Piece$(Q$, ",", K& + 1, K& + 1)) + 0.002 * Sin(K& * 12.9898)
  Next
  ApproximationCircle 12, CX&(), CY#(), C1#, C2#, C3#
  Print "circle "; Str2$(C1#, 0, 2, 0, 0); " "; Str2$(C2#, 0, 2, 0, 0); " "; Str2$(C3#, 0, 2, 0, 0)
  Try : ApproximationCircle 1025, CX&(), CY#(), C1#, C2#, C3# : Catch : Print "1025 points: "; Errno : End Try
  Try : ApproximationCircle 2, CX&(), CY#(), C1#, C2#, C3# : Catch : Print "two points: "; Errno : End Try
  Try : ApproximationCircle 3, P$(), Y#(), C1#, C2#, C3# : Catch : Print "text points: "; Errno : End Try
  Try : ApproximationCircle 3, X#(), Y#(), C1#, C2#, C3# : Catch : Print "collinear: "; Errno : End Try
  Return
