' ParallelExecute: tasks with their own Gosub, For and Try; the caller goes
' on after End ParallelExecute once every task has ended, and an error ends
' only the task it happens in.
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
  Return
*ADD
  SUM& = SUM& + 10
  Return
