' A ParallelExecute block without its End ParallelExecute runs no task.
*MAIN
  ParallelExecute
  Task
    Print "never printed"
  Return
