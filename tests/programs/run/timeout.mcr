' --timeout stops a program that never ends.
*MAIN
  Print "spinning"
  Do : Loop While 1
  Return
