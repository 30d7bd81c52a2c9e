' An error inside a Catch part is never trapped, not even by an outer Try:
' it ends the run and is reported with the failing line.
*MAIN
  Try
    Try
      X& = 1 / 0
    Catch
      Print "inner catch"
      Y& = 2 / 0
    End Try
  Catch
    Print "not printed"
  End Try
  Return
