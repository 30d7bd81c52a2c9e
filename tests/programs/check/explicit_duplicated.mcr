Option Explicit
Dim Count&, Names$(3)
Names$(0) = "first"
Dim Names$(5)
Print Names$(0)
