' Host calls of parallel tasks overlap: each task makes four calls the
' controller answers after 50 ms (two commands, two functions inside an
' expression). Run one after another they would take 200 ms per task; since
' no call is made while its task holds the object lock, 1, 2 and 4 tasks all
' take about 200 ms in all, 50 ms per call.
*MAIN
  T# = StartTimer : Gosub *CALLS : Print "serial, 1 task:   "; Timer(T#, 0) / 4; " ms per call"
  T# = StartTimer
  ParallelExecute
  Task
    Gosub *CALLS
  Task
    Gosub *CALLS
  End ParallelExecute
  Print "parallel, 2 tasks: "; Timer(T#, 0) / 4; " ms per call"
  T# = StartTimer
  ParallelExecute
  Task
    Gosub *CALLS
  Task
    Gosub *CALLS
  Task
    Gosub *CALLS
  Task
    Gosub *CALLS
  End ParallelExecute
  Print "parallel, 4 tasks: "; Timer(T#, 0) / 4; " ms per call"
  Return
*CALLS
  ChangeScene 0
  N& = UnitCount + 1
  ChangeScene 0
  N& = UnitCount * 2
  Return
