Sub Main
  Dim d, re, m, k, s
  Set d = CreateObject("Scripting.Dictionary")
  d.CompareMode = vbTextCompare
  d.Add "a", 1 : d("B") = 2 : d(3) = Array(1, 2)
  If d.Exists("b") Then d.Key("b") = "c"
  For Each k In d : s = s & k : Next
  d.Remove "a" : s = s & Join(d.Keys, ",") & d.Count
  Set re = New RegExp
  re.Pattern = "(\w+)\s*=\s*([^;]*);?" : re.Global = True : re.IgnoreCase = True : re.MultiLine = True
  For Each m In re.Execute("a = 1; b=two" & vbLf & "c = x{2}")
    s = s & m.Value & m.FirstIndex & m.Length & m.SubMatches(0) & m.SubMatches.Count
  Next
  s = re.Replace(s, "$2-$1 [$&] $$ $`")
  Set re = CreateObject("VBScript.RegExp")
  re.Pattern = "^(a|b)*?c{1,3}[^\d\]]\b\x41\u0042(?:x)(?=y)" : s = s & re.Test("abccc!ABxy")
End Sub
