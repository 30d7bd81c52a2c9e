' Try / Catch / End Try: where execution continues, what the error
' functions show, and which entries an error discards.
*MAIN
  Try
    X& = 1 / 0
    Print "not printed"
  Catch
    ' a failing assignment leaves no statement word
    Print "caught "; Errno; " ["; Errcmnd$; "]"
  End Try
  Print "after end try"
  Try
    Print "no error"
  Catch
    Print "not printed"
  End Try
  Try : Print 1 / 0 : Catch : Print "caught "; Errno; " ["; Errcmnd$; "]" : End Try
  ' an error in a routine called from the Try part is the caller's
  Try
    Gosub *FAIL
    Print "not printed"
  Catch
    Print "routine failed with "; Errno
  End Try
  ' without Catch the error goes straight to End Try
  Try
    Y& = 1 MOD 0
    Print "not printed"
  End Try
  Print "swallowed "; Errno
  ' nested Try blocks: the inner takes its own error; the outer one's
  ' search for its Catch passes over the inner blocks
  Try
    Try
      Z& = 1 / 0
    Catch
      Print "inner catch"
    End Try
    Try : Print "inner ok" : Catch : Print "not printed" : End Try
    Goto *MISSING
  Catch
    Print "outer catch "; Errno
  End Try
  ' a loop enters a fresh Try on every pass
  For I& = 1 To 3
    Try
      If I& = 2 Then X& = 1 / 0
      Print "pass "; I&
    Catch
      Print "caught pass "; I&
    End Try
  Next
  ' the routine's Gosub entry went with the error, so this Return ends the
  ' host's call instead of going back into the Try part (which would print
  ' the line twice)
  Try : Gosub *FAIL : Catch : Print "catch part once" : Return : End Try
  Print "not printed"
  Return
*FAIL
  For K& = 1 To 3
    Q& = 1 / 0
  Next
  Return
