On Error Resume Next
Dim v
v = 1 / 0
If Err.Number <> 0 Then
  v = Err.Description
  Err.Clear
End If
Err.Raise 13, "src", "custom"
On Error GoTo 0
Const K = 5, T = "He said ""hi"""
Private p : Public q(2, 3)
x = "a" & _
    "b" ' comment
Rem another comment
