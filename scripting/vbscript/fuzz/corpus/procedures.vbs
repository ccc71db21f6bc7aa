Function Twice(ByVal n)
  Twice = n * 2
End Function

Sub Swap(ByRef a, b)
  Dim t
  t = a : a = b : b = t
End Sub

Sub Main()
  Dim x, y, arr(3)
  x = Twice(21) : y = "text"
  Swap x, y
  Call Swap(arr(1), arr(2))
  ReDim Preserve arr(5)
  If IsArray(arr) Then x = UBound(arr) Else x = -1
  Exit Sub
End Sub
