' Input and Line Input from standard input: the prompt, fields split at
' commas, "Redo from start " for a line with too few or too many fields,
' blank lines and the end of the input.
*MAIN
  Input "Value"; A#
  Print "A# = "; A#
  Input "Two", A&, B&
  Print "A& = "; A&; ", B& = "; B&
  Input S$, T$
  Print "["; S$; "] ["; T$; "]"
  Line Input L$
  Print "["; L$; "]"
  ' LF-only blank lines are skipped, a CR LF blank line is an empty line
  Line Input L$ : Line Input E$
  Print "["; L$; "] ["; E$; "]"
  ' what the variable holds decides: an empty variant takes nothing
  Try : Input V! : Catch : Print "empty variant: "; Errno : End Try
  Try : Line Input A& : Catch : Print "Line Input A&: "; Errno : End Try
  Try : Input X& : Catch : Print "end of input: "; Errno : End Try
  MessageBox "done"
  Return
