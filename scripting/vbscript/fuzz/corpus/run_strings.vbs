Sub Main
  Dim s, n
  s = "Hello, World"
  n = InStr(1, s, "o") + InStrRev(s, "o") + Len(s)
  s = Mid(s, 2, 3) & Left(s, 2) & Right(s, 3) & LCase(s) & UCase(s)
  s = Replace(s, "l", "L", 1, -1, vbTextCompare) & String(3, "*") & Space(2) & StrReverse("abc")
  s = Trim("  x  ") & LTrim(" y") & RTrim("z ") & Chr(65) & Asc("A") & ChrW(8364)
  n = CInt(2.5) + CInt(3.5) + CLng("12") + CDbl("1.5") + CSng(0.25) + CByte(255) + Fix(-2.5) + Int(-2.5)
  s = CStr(n) & Hex(255) & Oct(8) & FormatNumber(1234.5, 2) & TypeName(s) & VarType(n)
  n = StrComp("a", "B", 1) + Sgn(-3) + Abs(-4) + Sqr(16) + Round(2.5) + (7 \ 2) + (7 Mod 3) + 2 ^ 10
  s = CDate("2026-12-07") & DateAdd("d", 1, #1/31/2026#) & DateDiff("m", #1/1/2026#, #12/7/2026#)
  s = Year(Now) & Month(Date) & Day(Date) & Hour(Time) & Weekday(Date) & DateSerial(2026, 13, 1) & TimeSerial(25, 0, 0)
  MsgBox s, vbOKOnly, "title"
  s = InputBox("prompt", "title", "default")
End Sub
