' Counts how often the line has run and how many of a batch of widths
' were over the limit. RUNS&& and OVER&& are stored variables: with
' "macro-sc run --state FILE" they survive from one run to the next, as
' they survive a restart on the controller. The host may set LIMIT#.
*MCRINIT
  LIMIT# = 2.0
  Return
*MAIN
  RUNS&& = RUNS&& + 1
  Dim W#(4)
  W#(0) = 1.8 : W#(1) = 2.2 : W#(2) = 2.6 : W#(3) = 1.9 : W#(4) = 3.1
  N& = 0
  For I& = 0 To 4
    If W#(I&) > LIMIT# Then N& = N& + 1
  Next I&
  OVER&& = OVER&& + N&
  Print "run "; RUNS&&; ": "; N&; " of 5 over "; LIMIT#; ", "; OVER&&; " in all"
  Return
