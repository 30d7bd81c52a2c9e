' Blank lines, separators and indentation survive loading.
*MAIN

:
    If A& = 1 Then
            Print "deep"   ' twelve spaces list as nine
    EndIf
Return
