Option Explicit
Dim s, i
s = 0
For i = 1 To 10 Step 2
  s = s + i * 2 Mod 7
Next
Do While s > 0
  s = s - 3
  If s = 4 Then Exit Do
Loop
While i > 0 : i = i - 1 : Wend
