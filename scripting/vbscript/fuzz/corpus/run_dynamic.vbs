Dim g
Function Twice(n) : Twice = n * 2 : End Function
Sub Main
  Dim a, f
  a = 3
  Execute "a = a + Eval(""a * 2"") : b = 1"
  ExecuteGlobal "g = 5 : Function Late(x) : Late = x + g : End Function"
  Set f = GetRef("Twice")
  a = f(a) + Eval("Late(1)") + Eval("Eval(""1"")")
  On Error Resume Next
  Execute "x = (" : Execute "Sub : End"
  a = Eval("1 +")
  MsgBox a & Err.Number & CCur(1.5) * 3 & (-2 ^ 2) & (1 => 2)
End Sub
