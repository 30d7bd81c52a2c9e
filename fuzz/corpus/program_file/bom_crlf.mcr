' Byte-order mark, mixed line ends, blank lines, separators and indentation.
*MAIN

:
    If A& = 1 Then
            Print "deep"   ' twelve spaces list as nine
    EndIf
Return