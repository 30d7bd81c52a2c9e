' Arrays made by Dim and ReDim as the array functions and VarList see them,
' and what Erase and Clear leave behind.
*MAIN
  Dim A&(2, 3)
  Print ArrayDims(A&()), ArrayLen(A&(), 1), ArrayLen(A&())
  A&(2, 3) = 5
  ' "()" keeps the array; a bound list starts from zeros
  Dim A&()
  Print A&(2, 3);
  ReDim A&(2, 3)
  Print A&(2, 3)
  X# = 1.5 : S$ = "" : T$ = "abc" : V! = 7
  Dim E#(), N$(1, 0, 2)
  VarList
  VarList "?#"
  Erase A&(), N$()
  VarList "a*" : VarList "n*"
  Clear
  VarList
  Return
