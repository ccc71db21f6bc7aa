Sub Main
  Dim a(2, 3), b(), i, j, v, parts
  For i = 0 To UBound(a, 1)
    For j = LBound(a, 2) To UBound(a, 2)
      a(i, j) = i * 10 + j
    Next
  Next
  ReDim b(1)
  b(0) = "x" : b(1) = a(2, 3)
  ReDim Preserve b(4)
  For Each v In b
    If IsEmpty(v) Then v = Null
  Next
  parts = Split("a,b,,c", ",")
  v = Join(parts, "-") & UBound(parts)
  v = Array(1, Array(2, 3))(1)(0)
  Erase b
  v = b(0)
End Sub
