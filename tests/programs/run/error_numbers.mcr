' Every error of the control statements, each caught by its own Try block.
' *SHOW prints the trapped number and statement; Err and Erl stay 0 because
' no error here is reported.
*MAIN
  Try : Next : Catch : Gosub *SHOW : End Try
  Try : For J& = 1 To 1 : For I& = 1 To 1 : Next J& : Catch : Gosub *SHOW : End Try
  Try : For I& = 1 To 0 : For K& = 1 To 2 : Next K&, : Catch : Gosub *SHOW : End Try
  Try : Goto : Catch : Gosub *SHOW : End Try
  Try : Gosub : Catch : Gosub *SHOW : End Try
  Try : While 1 : Catch : Gosub *SHOW : End Try
  Try : To : Catch : Gosub *SHOW : End Try
  Try : Step : Catch : Gosub *SHOW : End Try
  Try : End : Catch : Gosub *SHOW : End Try
  Try : Error : Catch : Gosub *SHOW : End Try
  Try : Do : Loop : Catch : Gosub *SHOW : End Try
  Try : Exit 1 : Catch : Gosub *SHOW : End Try
  Try : If 1 Print 1 : Catch : Gosub *SHOW : End Try
  Try : For I& 1 To 2 : Catch : Gosub *SHOW : End Try
  Try : For I& = 1 Step 2 : Catch : Gosub *SHOW : End Try
  Try : For 1 = 1 To 2 : Catch : Gosub *SHOW : End Try
  Try : On 1 Print 20 : Catch : Gosub *SHOW : End Try
  Try : Sub *X : Catch : Gosub *SHOW : End Try
  Try : Option 1 : Catch : Gosub *SHOW : End Try
  Try : Select 1 : Case 1, 2 : End Select : Catch : Gosub *SHOW : End Try
  Try : End Sub : Catch : Gosub *SHOW : End Try
  Try : Exit Sub : Catch : Gosub *SHOW : End Try
  Try : On -1 Gosub *SHOW : Catch : Gosub *SHOW : End Try
  Try : Goto 9999 : Catch : Gosub *SHOW : End Try
  Try : Gosub 9999 : Catch : Gosub *SHOW : End Try
  Try : Do : Loop While "yes" : Catch : Gosub *SHOW : End Try
  Try : Select V! : Catch : Gosub *SHOW : End Try
  For I& = 1 To 256 : L$ = L$ + "x" : Next
  Try : Select "x" : Case L$ : End Select : Catch : Gosub *SHOW : End Try
  Try : Goto *NOWHERE : Catch : Gosub *SHOW : End Try
  Try : Gosub *NOWHERE : Catch : Gosub *SHOW : End Try
  Try : Case 1 : Catch : Gosub *SHOW : End Try
  Try : End Select : Catch : Gosub *SHOW : End Try
  Try : Elseif 1 : Catch : Gosub *SHOW : End Try
  Try : Else : Catch : Gosub *SHOW : End Try
  Try : EndIf : Catch : Gosub *SHOW : End Try
  Try : Loop While 1 : Catch : Gosub *SHOW : End Try
  Try : Exit For : Catch : Gosub *SHOW : End Try
  Try : Exit Do : Catch : Gosub *SHOW : End Try
  Try : For I& = 1 To 1 : Catch : Gosub *SHOW : End Try
  Try : Do : End Try
  Gosub *SHOW
  ' searches that run off the end of the program
  Try : Gosub *T26 : Catch : Gosub *SHOW : End Try
  Try : Gosub *T124 : Catch : Gosub *SHOW : End Try
  Try : Gosub *T123 : Catch : Gosub *SHOW : End Try
  Try : Gosub *T129 : Catch : Gosub *SHOW : End Try
  Try : Gosub *T130 : Catch : Gosub *SHOW : End Try
  Try : Gosub *T128 : Catch : Gosub *SHOW : End Try
  Try : Gosub *T135 : Catch : Gosub *SHOW : End Try
  Try : Gosub *T153 : Catch : Print "not printed" : End Try
  Print "Err "; Err; " Erl "; Erl
  Return
*SHOW
  Print Errno; " "; Errcmnd$
  Return
' Nothing below closes a block that a line above it opens.
*T153
  ' the failing Catch is taken by its own Try: its Catch part runs
  Try : Catch : Print Errno; " "; Errcmnd$; " in the catch part" : Return
*T135
  Do : Exit Do
*T26
  For I& = 1 To 0
*T124
  Select 1 : Case 2
*T123
  Select 1
*T129
  If 1 Then
  Elseif 1
*T130
  If 1 Then
  Else
*T128
  If 0 Then
