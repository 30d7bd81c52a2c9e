' Nested blocks of every kind, one-line Ifs and Next over two loops: nothing to report.
*MAIN
  For I& = 1 To 2 : For J& = 1 To 2
    If I& = J& Then Print "same" Else Print "other"
    If I& > 1 Then
      Select I&
        Case 2
          Do
            Try
              X# = I& / J&
            Catch
              Print "failed"
            End Try
            If X# > 1 Then Exit Do
          Loop While X# < 0
        Case Else
          Print "none"
      End Select
    Elseif J& = 2 Then
      Exit For
    Else
      Goto *DONE
    EndIf
  Next J&, I&
*DONE
  Gosub 130
Return
