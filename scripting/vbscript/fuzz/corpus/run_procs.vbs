Function Fact(n)
  If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)
End Function

Sub Bump(ByRef x, ByVal y)
  x = x + 1 : y = y + 1
End Sub

Sub Forever(n)
  Forever n + 1
End Sub

Sub Main
  Dim a, arr(2), r
  a = 1
  Bump a, a
  Bump arr(1), 0
  Bump (a), 0
  r = Fact(10) + a + arr(1)
  On Error Resume Next
  Forever 0
  r = Err.Number & Err.Description
  Err.Clear
  Fail
  r = 1 / 0 + CInt(40000) + "x" + 1
  Err.Raise vbObjectError + 1, "me", "raised"
  On Error GoTo 0
  SetXRot GetXRot + 1
  Draw.SetXRot 30 : Draw.DrawImage
  r = SaveBMP("frame.bmp")
  Do While True : r = r + 1 : Loop
End Sub
