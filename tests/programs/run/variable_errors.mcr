' The errors of the variable statements, each caught by its own Try block.
*MAIN
  Try : Dim A&(-1) : Catch : Gosub *SHOW : End Try
  Try : Dim A&(2147483647) : Catch : Gosub *SHOW : End Try
  Try : Dim A&(2147483646) : Catch : Gosub *SHOW : End Try
  Try : Dim A&(1 : Catch : Gosub *SHOW : End Try
  Try : ReDim A&() : Catch : Gosub *SHOW : End Try
  Try : X& = A&(0) : Catch : Gosub *SHOW : End Try
  Try : Print ArrayDims(A&()) : Catch : Gosub *SHOW : End Try
  Dim A&(1, 1)
  Try : Print ArrayLen(A&(), 2) : Catch : Gosub *SHOW : End Try
  Try : Erase A& : Catch : Gosub *SHOW : End Try
  Try : Erase A&() B& : Catch : Gosub *SHOW : End Try
  Try : VarPush S$ : Catch : Gosub *SHOW : End Try
  Try : VarPop : Catch : Gosub *SHOW : End Try
  Try : VarSave : Catch : Gosub *SHOW : End Try
  Try : Delete 30-10 : Catch : Gosub *SHOW : End Try
  Try : Delete : Catch : Gosub *SHOW : End Try
  For I& = 1 To 256 : L$ = L$ + "x" : Next
  Try : SetVar L$, 0 : Catch : Gosub *SHOW : End Try
  Try : VarList L$ : Catch : Gosub *SHOW : End Try
  Return
*SHOW
  Print Errno; " "; Errcmnd$
  Return
