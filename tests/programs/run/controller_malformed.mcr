' A scenario with a misspelt key stops the tool before the program loads:
' the message on standard error names the file, line and column, and the
' exit status is 1.
*MAIN
  Print "not printed"
Return
