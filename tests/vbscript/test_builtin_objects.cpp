// Scripting.Dictionary, VBScript.RegExp and Scripting.FileSystemObject as scripts use them.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

const std::string kDict = "Set d = CreateObject(\"Scripting.Dictionary\")\n";

TEST(BuiltinObjects, Dictionary) {
  ExpectScripts({
      {kDict + "d.Add \"a\", 1\nd(2) = \"two\"\nResult = d.Count & d(\"a\") & d.Item(2) & d.Exists(\"b\")", "String 21twoFalse"},
      {kDict + "x = d(\"missing\")\nResult = d.Count & TypeName(x)", "String 1Empty"},  // reading adds
      {kDict + "d(1) = 1 : d(\"1\") = 2 : d(1.0) = 3\nResult = d.Count & d(1)", "String 23"},  // 1 and 1.0: one key
      {kDict + "d(\"x\") = 1 : d(\"y\") = 2\nFor Each k In d : s = s & k : Next\nResult = s & Join(d.Items, \"\")", "String xy12"},
      {kDict + "d(\"a\") = 1\nd.Key(\"a\") = \"b\"\nResult = Join(d.Keys) & d(\"b\")", "String b1"},
      {kDict + "d.CompareMode = vbTextCompare\nd(\"K\") = 1 : d(\"k\") = 2\nResult = d.Count & d(\"K\")", "String 12"},
      {kDict + "d(1) = 1 : d.Remove 1 : d(2) = 2 : d.RemoveAll\nResult = d.Count", "Long 0"},
      // After a removal the others keep their items and order; a key added again goes last.
      {kDict + "d(\"a\") = 1 : d(\"b\") = 2 : d(\"c\") = 3 : d.Remove \"b\"\n"
               "r = Join(d.Keys, \"\") & Join(d.Items, \"\") & d(\"c\") & d.Count & d.Exists(\"b\")\n"
               "d(\"b\") = 4 : d.Remove \"a\"\nFor Each k In d : r = r & \"|\" & k & d(k) : Next\nResult = r & d.Count",
       "String ac1332False|c3|b42"},
      {kDict + "d(1) = \"n\" : d(\"1\") = \"s\" : d.Remove 1\nResult = d.Count & d(\"1\") & d.Exists(1)", "String 1sFalse"},
      {kDict + "d(1) = 1 : d(2) = 2 : d.RemoveAll : d.Add 2, \"x\" : d.Add 1, \"y\"\nResult = Join(d.Keys, \"\") & Join(d.Items, \"\")",
       "String 21xy"},
      {kDict + "d.Add 1, 1\nd.Add 1, 2", "error 457 at line 3"}, {kDict + "d.Remove 5", "error 32811 at line 2"},
      {kDict + "d(1) = 1\nd.CompareMode = 1", "error 5 at line 3"}, {kDict + "d(1) = 1 : d(2) = 2\nd.Key(1) = 2", "error 457 at line 3"},
  });
}

const std::string kRe = "Set re = New RegExp\n";

TEST(BuiltinObjects, RegExp) {
  ExpectScripts({
      {kRe + "re.Pattern = \"(\\w+)@(\\w+)\\.com\" : re.Global = True\nSet ms = re.Execute(\"joe@x.com, ann@y.com\")\n"
             "Result = ms.Count & ms(1).Value & ms(1).FirstIndex & ms(1).Length & ms(1).SubMatches(1)",
       "String 2ann@y.com119y"},
      {kRe + "re.Pattern = \"(a)|(b)\"\nResult = IsEmpty(re.Execute(\"b\")(0).SubMatches(0))", "Boolean True"},
      {kRe + "re.Pattern = \"o\"\nResult = re.Replace(\"foo\", \"0\") & re.Execute(\"foo\").Count", "String f0o1"},
      {kRe + "re.Pattern = \"(\\d+)-(\\d+)\" : re.Global = True\nResult = re.Replace(\"1-2 3-4\", \"$2-$1 [$&] $$\")",
       "String 2-1 [1-2] $ 4-3 [3-4] $"},
      {kRe + "re.Pattern = \"^b\" : re.MultiLine = True\nResult = re.Test(\"a\" & vbLf & \"b\")", "Boolean True"},
      {kRe + "re.Pattern = \"^b\"\nResult = re.Test(\"a\" & vbLf & \"b\")", "Boolean False"},
      {kRe + "re.Pattern = \"A\" : re.IgnoreCase = True : re.Global = True\nResult = re.Replace(\"banana\", \"o\")", "String bonono"},
      // What ECMAScript's strict grammar refuses and VBScript reads literally.
      {kRe + "re.Pattern = \"a{x}]\\q\"\nResult = re.Test(\"a{x}]q\")", "Boolean True"},
      {"Set re = CreateObject(\"VBScript.RegExp\")\nre.Pattern = \"x\"\nFor Each m In re.Execute(\"axbx\") : n = n + 1 : Next\nResult = n", "Integer 1"},
      {kRe + "re.Pattern = \"(a\"\nx = re.Test(\"a\")", "error 5020 at line 3"},
      {kRe + "re.Pattern = \"[a\"\nx = re.Test(\"a\")", "error 5019 at line 3"},
      // Hostile patterns and texts end in an error, never a crash or a hang.
      {kRe + "re.Pattern = \"(a*)*b\"\nx = re.Test(String(5000, \"a\"))", "error 5 at line 3"},
      {kRe + "re.Pattern = \".*c\"\nResult = re.Test(String(100000, \"a\") & \"c\")", "Boolean True"},
      {kRe + "re.Pattern = \"a\"\nx = re.Test(String(300000, \"a\"))", "error 5 at line 3"},
      // fuzz_regexp: numbers std::regex would overflow on.
      {kRe + "re.Pattern = \"(a)\\5555555555555555555\"\nx = re.Test(\"a\")", "error 5017 at line 3"},
      {kRe + "re.Pattern = \"a{55555555555}\"\nx = re.Test(\"a\")", "error 5017 at line 3"},
      {kRe + "re.Pattern = \"a{2222222,3}\"\nx = re.Test(\"a\")", "error 5017 at line 3"},
      // Quantified quantifiers: refused as VBScript does, where std::regex backtracks exponentially.
      {kRe + "re.Pattern = \"C****************************************za\"\nx = re.Test(\"{]\")", "error 5018 at line 3"},
      {kRe + "re.Pattern = \"a+{2}\"\nx = re.Test(\"a\")", "error 5018 at line 3"},
      {kRe + "re.Pattern = \"a*??\"\nx = re.Test(\"a\")", "error 5018 at line 3"},
      {kRe + "re.Pattern = \"<.+?>|[*+?]{2}\"\nResult = re.Replace(\"<a><b>*?\", \"-\")", "String -<b>*?"},
  });
}

TEST(BuiltinObjects, FileSystemObject) {
  namespace fs = std::filesystem;
  fs::path dir = fs::path(::testing::TempDir()) / "vbs_fso";
  fs::remove_all(dir);
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "old.txt") << "keep";
  std::string base = "Set fso = CreateObject(\"Scripting.FileSystemObject\")\nbase = \"" + dir.string() + "\"\n";
  ExpectScripts({
      {base + "Set f = fso.CreateTextFile(fso.BuildPath(base, \"a.txt\"))\nf.WriteLine \"one\"\nf.Write \"two\"\nf.Close\n"
              "Set f = fso.OpenTextFile(base & \"/a.txt\", 8)\nf.WriteLine\nf.Close\n"
              "Set t = fso.OpenTextFile(base & \"/a.txt\")\nResult = t.ReadLine & \"|\" & t.ReadAll",
       "String one|two\r\n"},
      {base + "fso.CopyFile base & \"/a.txt\", base & \"/sub/b.tif\"\nfso.MoveFile base & \"/sub/b.tif\", base & \"/c.tif\"\n"
              "For Each x In fso.GetFolder(base).Files : s = s & x.Name & x.Size & \" \" : Next\n"
              "Result = s & fso.GetFolder(base).SubFolders.Count & TypeName(fso.GetFile(base & \"/c.tif\").DateLastModified)",
       "String a.txt10 c.tif10 old.txt4 1Date"},
      {base + "Result = fso.GetBaseName(\"/x/y.tar.gz\") & fso.GetExtensionName(\"y.TIF\") & fso.GetParentFolderName(\"/x/y\") & "
              "fso.GetFileName(\"/x/y.tif\")",
       "String y.tarTIF/xy.tif"},
      {base + "fso.GetFile base & \"/none\"", "error 53 at line 3"}, {base + "fso.GetFolder base & \"/none\"", "error 76 at line 3"},
      {base + "fso.CreateFolder base & \"/sub\"", "error 58 at line 3"},
      {base + "fso.CreateTextFile base & \"/old.txt\", False", "error 58 at line 3"},
      {base + "fso.CreateTextFile base & \"/none/x.txt\"", "error 76 at line 3"},
      {base + "Result = fso.FileExists(base & \"/old.txt\") & fso.FileExists(base & \"/sub\") & "
              "fso.FolderExists(base & \"/sub\") & fso.FolderExists(base & \"/old.txt\") & "
              "(fso.GetFolder(base & \"/sub\").ParentFolder.Path = base) & "
              "(fso.GetAbsolutePathName(base & \"/sub/../old.txt\") = base & \"/old.txt\")",
       "String TrueFalseTrueFalseTrueTrue"},
      {base + "Set f = fso.CreateTextFile(base & \"/lines.txt\")\nf.WriteLine \"1\" : f.WriteLine \"2\" : f.Write \"3\" : f.Close\n"
              "Set t = fso.OpenTextFile(base & \"/lines.txt\")\nt.SkipLine\ns = t.ReadLine & t.AtEndOfStream\n"
              "Result = s & t.ReadLine & t.AtEndOfStream",
       "String 2False3True"},
      {base + "fso.CreateFolder base & \"/gone\"\nSet f = fso.CreateTextFile(base & \"/gone/x.txt\") : f.Close\n"
              "fso.DeleteFolder base & \"/gone\"\nfso.DeleteFile base & \"/lines.txt\"\n"
              "Result = fso.FolderExists(base & \"/gone\") & fso.FileExists(base & \"/lines.txt\") & fso.FileExists(base & \"/old.txt\")",
       "String FalseFalseTrue"},
      {base + "fso.DeleteFile base & \"/none\"", "error 53 at line 3"},
      {base + "fso.DeleteFolder base & \"/none\"", "error 76 at line 3"},
      // The older file stays whole until the new text is closed.
      {base + "Set f = fso.CreateTextFile(base & \"/old.txt\")\nf.Write \"new\"\nResult = fso.OpenTextFile(base & \"/old.txt\").ReadAll",
       "String keep"},
  });
  std::ifstream written(dir / "old.txt");
  std::stringstream text;
  text << written.rdbuf();
  EXPECT_EQ(text.str(), "new");  // released without Close: written all the same
  Engine sc;
  sc.SetFileAccess(false);
  EXPECT_FALSE(sc.AddCode("Set fso = CreateObject(\"Scripting.FileSystemObject\")"));
  EXPECT_EQ(sc.Error().Number, 429);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace lumetrix::vbs::testing
