Sub Main
  If a Then
    b = (1 + 2
  End If
End Sub
