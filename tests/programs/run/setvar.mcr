' SetVar assigns every matching scalar with the usual conversions and leaves
' arrays and the variables that do not match alone.
*MAIN
  CNT1& = 5 : CNT2# = 2.5 : CNTS$ = "x" : CNTV! = "v" : COUNT& = 7
  Dim CNTA&(1) : CNTA&(1) = 3
  SetVar "cnt*", 0
  VarList "C*"
  SetVar "CNT?#": 1.25 : Print CNT2#
  SetVar "*S$", "text"
  ' too big for the integer: that one keeps its value
  SetVar "CNT*", 3E+9
  VarList "CNT*"
  Return
