' For/Next: limits and steps, loop variables of every kind, Next with
' several variables, and leaving loops early.
*MAIN
  For I& = 1 To 3 : Print I&; : Next I& : Print
  For I& = 10 To 1 Step -3 : Print I&; " "; : Next : Print
  ' no pass at all: execution goes on after the matching Next
  For I& = 1 To 0
    Print "not printed"
    For J& = 1 To 2 : Next J&
  Next I&
  Print "after empty loop, I="; I&
  ' limit and step are evaluated on every pass
  N& = 3 : S& = 1
  For I& = 1 To N& Step S&
    Print I&; " ";
    N& = 8 : S& = 2
  Next
  Print
  ' an integer variable with a fractional step keeps its rounded sum
  For I& = 1 To 3 Step 0.5 : Print I&; " "; : Next : Print
  For D# = 0 To 1 Step 0.25 : Print D#; " "; : Next : Print
  ' a plain integer variable and an array element (counted by the general
  ' arithmetic) step alike: double limits, downward steps, the top of the range
  Dim A&(1)
  For I& = 1 To 2.5 : Print I&; " "; : Next : Print "| "; I&
  For A&(1) = 1 To 2.5 : Print A&(1); " "; : Next : Print "| "; A&(1)
  For I& = 3 To -1.5 Step -2 : Print I&; " "; : Next : Print "| "; I&
  For A&(1) = 3 To -1.5 Step -2 : Print A&(1); " "; : Next : Print "| "; A&(1)
  Try
    For I& = 2147483646 To 2147483647 : Print I&; " "; : Next
  Catch
    Print "| overflow "; Errno; " "; I&
  End Try
  Try
    For A&(1) = 2147483646 To 2147483647 : Print A&(1); " "; : Next
  Catch
    Print "| overflow "; Errno; " "; A&(1)
  End Try
  ' Next I, J closes the inner loop, then the outer one
  For J& = 1 To 2
    For I& = 1 To 2
      Print J& * 10 + I&; " ";
  Next I&, J&
  Print "| after"
  ' leaving early
  For I& = 1 To 10
    If I& = 3 Then Exit For
  Next
  Print "exit for at "; I&
  For I& = 1 To 5
    For J& = 1 To 5
      If J& = 2 Then Exit For
    Next J&
    If I& = 2 Then Exit For
  Next I&
  Print "nested exit "; I&; " "; J&
  ' Exit For before the first Next has run finds the Next in the code
  For I& = 1 To 5 : Exit For : Print "not printed" : Next I& : Print "exit first pass "; I&
  ' Goto out of a loop leaves its entry; the outer loop's Next then fails
  Try
    For J& = 1 To 2
      For I& = 1 To 2 : Goto *OUT : Next I&
*OUT
    Next J&
  Catch
    Print "next after goto out of a loop: "; Errno
  End Try
  ' a Return from inside a loop leaves no For entry behind
  Gosub *INLOOP
  Try : Next : Catch : Print "no loop left after Return:"; Errno : End Try
  Return
*INLOOP
  For K& = 1 To 3
    Return
  Next K&
