' An error in a label's run names the file line on stderr.
*MAIN
  Limit& = 0

    Ratio# = 10 / Limit&
Return
