' Delete removes line ranges, also the running line, which ends the run;
' New ends the run that executes it.
*MAIN
  Delete 140-150
  Delete -20
  List
  Return
*SELF
  Delete 90-100 : Print "not printed"
  Print "not printed"
*NEW
  List 110-130 : Print "before New"
  New : Print "not printed"
' line 140
' line 150
