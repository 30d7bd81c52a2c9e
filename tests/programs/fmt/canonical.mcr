' Already canonical: fmt --check finds nothing to change.
*MAIN
  For I& = 1 To 3
    Print I&;
  Next
Return
