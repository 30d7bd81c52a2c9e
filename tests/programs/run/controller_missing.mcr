' A scenario file that cannot be opened stops the tool with status 5.
*MAIN
  Print "not printed"
Return
