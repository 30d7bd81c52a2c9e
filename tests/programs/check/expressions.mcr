' Parentheses that do not pair up, and variables nothing gives a value.
Option Explicit
Dim A&, B&, Limit#, Name$, Result&, Counts&(3), Total&&
A& = (1 + 2
B& = Len(Name$))
Counts&(1) = A& * 2
Print Limit# + Counts&(1) + Total&&
Input "How many"; Result&
Print Result& + B&
Name$ = "Größe" + (A&
Result& += 1
If Result& == 2 Then Print "two"
