' Inspection of a batch of parts on a simulated line.
'
' After loading, the controller runs *MCRINIT once; each trigger then runs
' *INSPECT, which drives one batch through a small state machine:
'
'   IDLE -> CAPTURE -> MEASURE -> JUDGE -> OUTPUT -> IDLE ... -> DONE
'             ^           |
'             +-- retake -+   (a reading far off nominal, at most twice)
'
' On a controller CAPTURE would call Measure and MEASURE would read the unit
' results with UnitData(); here a pseudo-random sensor stands in for the
' camera, so that every run prints the same report.
Option Explicit

*MCRINIT
  ' Names of the states, so that the Select below reads like the diagram.
  Dim ST_IDLE&, ST_CAPTURE&, ST_MEASURE&, ST_JUDGE&, ST_OUTPUT&, ST_DONE&
  ST_IDLE& = 0 : ST_CAPTURE& = 1 : ST_MEASURE& = 2
  ST_JUDGE& = 3 : ST_OUTPUT& = 4 : ST_DONE& = 5
  ' The part: nominal width and tolerance in millimetres, parts per batch.
  Dim NOMINAL#, TOLERANCE#, BATCH&
  NOMINAL# = 25.0 : TOLERANCE# = 0.15 : BATCH& = 8
  ' Working state of one batch.
  Dim State&, Part&, Seed&, Width#, Deviation#, Judge&, Retries&, Reason$
  Dim OkCount&, NgCount&, Worst#
  ' The judgement of every part of the batch (JUDGE_OK or JUDGE_NG).
  Dim Results&(16)
  Seed& = 4711
Return

*INSPECT
  State& = ST_IDLE& : Part& = 0 : OkCount& = 0 : NgCount& = 0 : Worst# = 0
  Print "Inspecting "; BATCH&; " parts, width "; NOMINAL#; " +/- "; TOLERANCE#; " mm"
  Do
    Select State&
      Case ST_IDLE&
        ' Take the next part, or finish the batch.
        If Part& >= BATCH& Then
          State& = ST_DONE&
        Else
          Part& = Part& + 1 : Retries& = 0
          State& = ST_CAPTURE&
        EndIf
      Case ST_CAPTURE&
        Gosub *CAPTURE
        State& = ST_MEASURE&
      Case ST_MEASURE&
        Gosub *MEASURE
        ' Far off nominal is more likely a bad image than a bad part.
        If Abs(Width# - NOMINAL#) > 1 And Retries& < 2 Then
          Retries& = Retries& + 1
          State& = ST_CAPTURE&
        Else
          State& = ST_JUDGE&
        EndIf
      Case ST_JUDGE&
        Gosub *JUDGE
        State& = ST_OUTPUT&
      Case ST_OUTPUT&
        Gosub *REPORT
        State& = ST_IDLE&
    End Select
  Loop While State& <> ST_DONE&
  Print "Batch done: "; OkCount&; " OK, "; NgCount&; " NG, worst deviation "; Worst#; " mm"
Return

*CAPTURE
  ' The sensor: a linear congruential generator kept below 2^16.
  Seed& = (Seed& * 1103 + 12345) MOD 65536
Return

*MEASURE
  ' Widths scatter 0.2 mm around nominal; every seventh capture is a glitch.
  Width# = NOMINAL# + ((Seed& MOD 41) - 20) * 0.01
  If (Seed& MOD 7) = 0 Then Width# = Width# + 3.5
Return

*JUDGE
  Deviation# = Abs(Width# - NOMINAL#)
  If Deviation# > Worst# Then Worst# = Deviation#
  If Deviation# <= TOLERANCE# Then
    Judge& = JUDGE_OK : Reason$ = "ok" : OkCount& = OkCount& + 1
  Elseif Width# > NOMINAL# Then
    Judge& = JUDGE_NG : Reason$ = "too wide" : NgCount& = NgCount& + 1
  Else
    Judge& = JUDGE_NG : Reason$ = "too narrow" : NgCount& = NgCount& + 1
  EndIf
  Results&(Part&) = Judge&
Return

*REPORT
  If Retries& > 0 Then Reason$ = Reason$ + ", retaken " + Str$(Retries&) + " times"
  Print "Part "; Part&; ": "; Width#; " mm, "; Reason$
Return
