Class Point
  Public X, Y
  Private m_name
  Public Property Get Name()
    Name = m_name
  End Property
  Public Property Let Name(v)
    m_name = v
  End Property
  Public Default Function Text()
    Text = X & "," & Y
  End Function
  Private Sub Class_Initialize()
    X = 0 : Y = 0
  End Sub
End Class
Dim pt
Set pt = New Point
pt.Name = "p"
If pt Is Nothing Then pt = Null
