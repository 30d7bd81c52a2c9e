' An inspection cycle against a scenario, with the trace of every call it
' makes to the controller on standard output between the lines it prints:
' wait for the trigger, measure, read the width by name and by number, judge,
' write the result to PLC words and report it over a loopback channel.
*MCRINIT
  Dim Words&(2), Image&(1), Reply&(4)
Return

*CYCLE
  ChangeScene 3
  For Part& = 1 To 3
    Do : Loop While GetPort("PLC", 0) = 0
    Imaged& = 1
    Try
      Measure
    Catch
      Imaged& = 0
      Print "part "; Part&; ": no image, error "; Errno
    End Try
    If Imaged& Then Gosub *REPORT
  Next
  SetGlobalData "Parts", Part& - 1
Return

*REPORT
  GetUnitData 1, "W", W#
  J& = UnitJudge(1) : W1# = UnitData(1, 1)
  Print "part "; Part&; ": "; W#; " mm, unit judges "; J&; ", item 1 is "; W1#
  Words&(0) = Part& : Words&(1) = W# * 1000
  WritePlcMemory "PLC", 0, 100, 4, Words&()
  SetPlcData "PLC", Image&(), 0, 4, J&
  JudgeOut "PLC", J&
  SendString "HOST", "PART" + Str$(Part&)
  ReceiveData "HOST", Reply&(), 16, N&
  Print "host got "; N&; " bytes"
Return
