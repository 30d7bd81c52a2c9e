' Error trapping: computing the scale factors of a camera calibration from
' readings that are sometimes missing or absurd.
'
' A statement that fails inside Try ... Catch continues at the Catch; Errno
' then holds the error number and Errcmnd$ the keyword the failing statement
' began with (empty for an assignment). An error in a routine called from a
' Try part is caught by that Try and the routine's return point is lost, so a
' routine that wants to recover and return normally keeps its own Try, as
' *RATIO does below.
Option Explicit

*MCRINIT
  ' Pixel distances measured between two marks 10 mm apart, per camera;
  ' camera 3 saw no marks (0 pixels) and camera 5 is not connected.
  Dim Pixels&(3), Scale#(3), CAMERAS&, MARK_MM#
  Pixels&(0) = 412 : Pixels&(1) = 398 : Pixels&(2) = 0 : Pixels&(3) = 405
  CAMERAS& = 5 : MARK_MM# = 10.0
  ' Arguments and result of *RATIO, and the error seen there.
  Dim Num#, Den&, Ratio#, Failed&
  Dim Cam&, Fallback#, Errors&
Return

*MAIN
  Errors& = 0
  ' The nominal scale of the lens, for a camera that saw no marks.
  Fallback# = 0.025
  For Cam& = 1 To CAMERAS&
    Try
      ' Camera 5 has no reading: Pixels&(4) is outside the array (error 9).
      Num# = MARK_MM# : Den& = Pixels&(Cam& - 1)
      Gosub *RATIO
      If Failed& Then
        Print "camera "; Cam&; ": no marks, using "; Fallback#; " mm/px"
        Scale#(Cam& - 1) = Fallback#
      Else
        Scale#(Cam& - 1) = Ratio#
        Print "camera "; Cam&; ": "; Str2$(Ratio#, 1, 5, 0, 0); " mm/px"
      EndIf
    Catch
      ' The routine could not recover here: report and go on with the next.
      Errors& = Errors& + 1
      Print "camera "; Cam&; ": error "; Errno; " in '"; Errcmnd$; "'"
    End Try
  Next Cam&
  Gosub *CHECK
  Print Errors&; " camera(s) skipped"
Return

*RATIO
  ' Divides Num# by Den&. A zero divisor (error 11) is recovered here: the
  ' caller gets Failed& = -1 and the run goes on after the Gosub.
  Failed& = 0
  Try
    Ratio# = Num# / Den&
  Catch
    If Errno <> 11 Then Print "unexpected error "; Errno
    Failed& = -1
  End Try
Return

*CHECK
  ' A condition that fails: Errcmnd$ names the If statement.
  Try
    If MARK_MM# / Pixels&(2) > 0.1 Then Print "camera 3 is too far away"
  Catch
    Print "check failed: error "; Errno; " in '"; Errcmnd$; "'"
  End Try
Return
