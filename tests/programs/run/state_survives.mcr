' Stored variables ("&&", "##", "$$") survive between runs through --state;
' --set assigns before the labels run and --get reads after them.
*MCRINIT
  RUNS&& = RUNS&& + 1
  Return
*MAIN
  Print "run"; RUNS&&; ", limit "; LIMIT#; ", name "; NAME$; ", log "; LOG$$
  TOTAL## = TOTAL## + LIMIT#
  LOG$$ = LOG$$ + NAME$
  If RUNS&& = 1 Then Dim HIST&&(2)
  HIST&&(RUNS&& - 1) = RUNS&& * 100
  Return
