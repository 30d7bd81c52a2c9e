' Baseline: loading the program and calling *MAIN, with no loop at all.
*MAIN
Return
