' ParallelExecute: tasks with their own Gosub, For and Try; the caller goes
' on after End ParallelExecute once every task has ended, and an error ends
' only the task it happens in. A task written on its Task line comes back
' to that line from a routine of several lines and goes on there.
*MAIN
  ParallelExecute
    Print "never printed"
  Task
    For I& = 1 To 3 : Gosub *ADD : Next I&
  Task
    Try
      X& = 1 / 0
    Catch
      CAUGHT& = Errno
    End Try
  End ParallelExecute
  Print "sum "; SUM&; ", caught "; CAUGHT&
  ParallelExecute
  Task
    Y& = 1 / 0
    Y& = 1
  Task
    Z& = 2
  End ParallelExecute
  Print "after the error y="; Y&; " z="; Z&
  ParallelExecute
  Task : Gosub *TWICE : Print "back on the task line, n="; N&
  Task
    W& = 3
  End ParallelExecute
  Print "w="; W&
  Return
*TWICE
  N& = N& + 1
  N& = N& + 1
  Return
*ADD
  SUM& = SUM& + 10
  Return
