' Inspection of a batch of parts on a width-check line.
'
' After loading, the controller runs *MCRINIT once; each trigger then runs
' *INSPECT, which drives one batch through a small state machine:
'
'   IDLE -> WAIT -> CAPTURE -> MEASURE -> JUDGE -> OUTPUT -> IDLE ... -> DONE
'                     ^           |
'                     +- retake --+   (a failed image or a reading far off
'                                      nominal, at most twice)
'
' WAIT polls the PLC's trigger, CAPTURE measures the scene, MEASURE reads the
' edge width unit, and OUTPUT writes part number, judgement and width to the
' PLC's data memory. Run it on the simulated line of inspection.toml:
'
'   macro-sc --controller examples/inspection.toml run examples/inspection.mcr '*INSPECT'
Option Explicit

*MCRINIT
  ' Names of the states, so that the Select below reads like the diagram.
  Dim ST_IDLE&, ST_WAIT&, ST_CAPTURE&, ST_MEASURE&, ST_JUDGE&, ST_OUTPUT&, ST_DONE&
  ST_IDLE& = 0 : ST_WAIT& = 1 : ST_CAPTURE& = 2 : ST_MEASURE& = 3
  ST_JUDGE& = 4 : ST_OUTPUT& = 5 : ST_DONE& = 6
  ' The part: nominal width and tolerance in millimetres, parts per batch.
  Dim NOMINAL#, TOLERANCE#, BATCH&
  NOMINAL# = 25.0 : TOLERANCE# = 0.15 : BATCH& = 8
  ' The line: the width unit, the PLC channel and where the results go.
  Dim WIDTH_UNIT&, PLC$, RESULT_AREA&, RESULT_WORD&
  WIDTH_UNIT& = 1 : PLC$ = "PLC" : RESULT_AREA& = 0 : RESULT_WORD& = 100
  ' Working state of one batch.
  Dim State&, Part&, Width#, Deviation#, Judge&, Retries&, Reason$, Polls&
  Dim OkCount&, NgCount&, Worst#
  ' One part's record for the PLC: part number, judgement, width in micrometres.
  Dim Record&(3)
Return

*INSPECT
  State& = ST_IDLE& : Part& = 0 : OkCount& = 0 : NgCount& = 0 : Worst# = 0
  Print "Inspecting "; BATCH&; " parts of scene "; SceneNo; " ("; SceneTitle$(SceneNo); "), width "; NOMINAL#; " +/- "; TOLERANCE#; " mm"
  Do
    Select State&
      Case ST_IDLE&
        ' Take the next part, or finish the batch.
        If Part& >= BATCH& Then
          State& = ST_DONE&
        Else
          Part& = Part& + 1 : Retries& = 0 : Reason$ = "" : Polls& = 0
          State& = ST_WAIT&
        EndIf
      Case ST_WAIT&
        Polls& = Polls& + 1
        If GetPort(PLC$, 0) <> 0 Then State& = ST_CAPTURE&
      Case ST_CAPTURE&
        Try
          Measure
          State& = ST_MEASURE&
        Catch
          ' No image: take another, as for a reading far off nominal.
          Gosub *RETAKE
        End Try
      Case ST_MEASURE&
        Width# = UnitData(WIDTH_UNIT&, "W")
        ' Far off nominal is more likely a bad image than a bad part.
        If Abs(Width# - NOMINAL#) > 1 Then Gosub *RETAKE Else State& = ST_JUDGE&
      Case ST_JUDGE&
        Gosub *JUDGE
        State& = ST_OUTPUT&
      Case ST_OUTPUT&
        Gosub *OUTPUT
        State& = ST_IDLE&
    End Select
  Loop While State& <> ST_DONE&
  Print "Batch done: "; OkCount&; " OK, "; NgCount&; " NG, worst deviation "; Worst#; " mm"
Return

*RETAKE
  If Retries& < 2 Then
    Retries& = Retries& + 1 : State& = ST_CAPTURE&
  Else
    State& = ST_JUDGE&
  EndIf
Return

*JUDGE
  Deviation# = Abs(Width# - NOMINAL#)
  ' To the micrometre, which is all the camera resolves.
  Deviation# = Int(Deviation# * 1000 + 0.5) / 1000
  If Deviation# > Worst# Then Worst# = Deviation#
  If Deviation# <= TOLERANCE# Then
    Judge& = JUDGE_OK : Reason$ = "ok" : OkCount& = OkCount& + 1
  Elseif Width# > NOMINAL# Then
    Judge& = JUDGE_NG : Reason$ = "too wide" : NgCount& = NgCount& + 1
  Else
    Judge& = JUDGE_NG : Reason$ = "too narrow" : NgCount& = NgCount& + 1
  EndIf
Return

*OUTPUT
  Record&(0) = Part& : Record&(1) = Judge& : Record&(2) = Width# * 1000
  ' Each element goes as two words, the lower first.
  WritePlcMemory PLC$, RESULT_AREA&, RESULT_WORD& + 6 * (Part& - 1), 6, Record&()
  JudgeOut PLC$, Judge&
  If Retries& > 0 Then Reason$ = Reason$ + ", retaken " + Str$(Retries&) + " times"
  Print "Part "; Part&; ": "; Width#; " mm, "; Reason$
Return
