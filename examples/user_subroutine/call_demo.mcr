' Calls the subroutines of libmsc_sample_subroutines.so.
*MAIN
SetUserSubroutine "Sum", "libmsc_sample_subroutines.so", "Sum"
SetUserSubroutine "Describe", "libmsc_sample_subroutines.so", "Describe"
SetUserSubroutine "Result", "libmsc_sample_subroutines.so", "Result"
Call "Sum", 1, 2.5, 4
Print "sum = "; SY.SUM#
Call "Describe", 42, 2.5, "abc"
Print SY.ARGS$
' An error number returned by a subroutine is caught like any other.
Try
  Call "Sum", 1, "two"
Catch
  Print "error "; Errno; " in "; Errcmnd$
End Try
' 255 skips the rest of the line.
Call "Result", 255 : Print "not printed"
Print "done"
Return
