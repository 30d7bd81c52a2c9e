' A program without errors: check prints nothing and exits with 0.
Option Explicit
Dim Count&, Names$(3)
*MAIN
  For Count& = 0 To 3 : Names$(Count&) = "n" + Str$(Count&) : Next Count&
  Print Names$(2)
Return
