Sub Main
  Dim n, r
  n = 7
  Select Case n
    Case 1, 2, 3
      r = "low"
    Case 4 To 9, Is >= 100
      r = "mid"
    Case Else
      r = "other"
  End Select
  With Draw
    .SetXRot 30
    .DrawImage
  End With
  For Each r In Array(1, "a", #1/2/2003#, &HFF, 1.5E+3)
  Next
End Sub
