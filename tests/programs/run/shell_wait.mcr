' Shell starts a process; with a non-zero wait the program goes on when the
' process has ended.
*MAIN
  Print "before"
  Shell "echo from the child", 1
  Shell "sh -c " + Chr$(34) + "echo quoted words" + Chr$(34), 1
  Print "after"
  Try : Shell "no-such-program-anywhere", 1 : Catch : Print "no process: "; Errno : End Try
  Return
