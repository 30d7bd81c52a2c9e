' Jumps to labels and lines that are not there, and lines no run reaches.
*MAIN
  Gosub *REPORT
  Gosub *REPROT
  If Failed& Then Goto 90 Else Goto 95
  On Failed& Gosub *REPORT, *MISSING
  Goto *FINISH
  Print "never printed"
  Print "nor this"
  Return
*REPORT
  Print "report"
  If Failed& Then
    Return
  EndIf
Return
Sub *FINISH()
  Print "finish"
*REPORT
Return
