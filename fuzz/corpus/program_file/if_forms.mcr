' One-line and block If, with every way a branch is entered and left.
*MAIN
  X& = 1 : Y& = 0
  If X& Then Print "one-line true"
  If Y& Then Print "not printed"
  If Y& Then Print "not printed" Else Print "else part"
  If X& Then A& = 1 : B& = 2 Else C& = 3
  Print "A="; A&; " B="; B&; " C="; C&
  If Y& Then A& = 10 : B& = 20 Else C& = 30
  Print "A="; A&; " B="; B&; " C="; C&
  ' a ":" ends a false one-line If: the Else after it is not reached
  If Y& Then Print "no" : Print "no" Else Print "not printed either"
  Print "after colon"
  If 0.5 Then Print "half is true"
  If X& Goto *JUMPED
  Print "not printed"
*JUMPED
  If Y& Then *NOWHERE Else *ELSELABEL
  Print "not printed"
*ELSELABEL
  If X& Then Gosub *SHOUT Else Print "not printed"
  If Y& Then Gosub *SHOUT Else Print "else after gosub"
  Gosub *CHOOSE
  X& = 2 : Gosub *CHOOSE
  X& = 3 : Gosub *CHOOSE
  X& = 4 : Gosub *CHOOSE
  ' a block If whose Then has statements after ":" on its line
  If 1 Then : Print "block true";
    Print " body"
  Else
    Print "not printed"
  EndIf
  If 0 Then ' comment after Then: still a block
    Print "not printed"
  Else
    Print "comment block else"
  EndIf
  ' nested blocks are skipped whole, one-line Ifs inside them too
  If 0 Then
    If 1 Then
      Print "not printed"
    Else
      Print "not printed"
    EndIf
    If 1 Then Print "not printed" Else Print "not printed"
  Elseif 1 Then
    Print "outer elseif"
  EndIf
  Return
*SHOUT
  Print "shout"
  Return
*CHOOSE
  If X& = 1 Then
    Print "first"
  Elseif X& = 2
    Print "second"
  Elseif X& = 3 Then
    Print "third"
  Else
    Print "other"
  EndIf
  Return
