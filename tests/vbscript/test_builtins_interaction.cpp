// MsgBox and InputBox through the host's dialogs and the standard-output defaults;
// CreateObject and GetObject.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

// Records dialogs as "[prompt|buttons|title]" and "<prompt|title|default>".
struct RecordingUi : UiHost {
  std::string log, typed = "12.5";
  int answer = 6;  // vbYes
  int MsgBox(const std::string& prompt, int buttons, const std::string& title) override {
    log += "[" + prompt + "|" + std::to_string(buttons) + "|" + title + "]";
    return answer;
  }
  std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override {
    log += "<" + prompt + "|" + title + "|" + defaultText + ">";
    return typed;
  }
};

TEST(BuiltinDialogs, ReachTheHostWithButtonsTitlesAndDefaults) {
  RecordingUi ui;
  Engine sc;
  sc.SetUiHost(&ui);
  ASSERT_TRUE(sc.AddCode("r = MsgBox(\"Grüße\", vbYesNo + vbQuestion, \"Question\")\nok = (r = vbYes)\n"
                         "MsgBox 42\nMsgBox \"b\", , \"T\"\nMsgBox 1.5 & \" mm\", vbOKCancel\n"
                         "v = InputBox(\"Angle?\", \"Spin\", 30)\nn = CDbl(v) * 2\nw = InputBox(\"Name?\")"));
  EXPECT_EQ(ui.log, "[Grüße|36|Question][42|0|VBScript][b|0|T][1.5 mm|1|VBScript]<Angle?|Spin|30><Name?|VBScript|>");
  ExpectEvalsIn(sc, {{"r", "Integer 6"}, {"ok", "Boolean True"}, {"v", "String 12.5"}, {"n", "Double 25"}});
  // Bad arguments fail before any dialog shows.
  ui.log.clear();
  for (const Case& c : std::initializer_list<Case>{{"MsgBox Null", "94"}, {"MsgBox \"a\", \"x\"", "13"},
                                                    {"MsgBox", "450"}, {"MsgBox 1, 2, 3, 4, 5, 6", "450"},
                                                    {"w = InputBox(\"a\", , , \"left\")", "13"},
                                                    {"w = InputBox()", "450"}}) {
    EXPECT_FALSE(sc.AddCode(c.input)) << c.input;
    EXPECT_EQ(std::to_string(sc.Error().Number), c.expected) << c.input;
  }
  EXPECT_EQ(ui.log, "");
  // The host stays across Reset.
  sc.Reset();
  ASSERT_TRUE(sc.AddCode("MsgBox \"again\""));
  EXPECT_EQ(ui.log, "[again|0|VBScript]");
}

// Without a window MsgBox prints its text (any line break as one Linux line break) and answers OK.
TEST(BuiltinDialogs, DefaultMsgBoxPrintsThePromptAndAnswersOk) {
  Engine sc;
  ::testing::internal::CaptureStdout();
  bool ok = sc.AddCode("r = MsgBox(\"Hello\" & vbTab & \"world\", vbYesNo)\n"
                       "MsgBox \"a\" & vbCrLf & \"b\" & vbNewLine & \"c\" & vbCr & \"d\" & vbLf & \"e\"");
  std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(ok) << sc.Error().Description;
  EXPECT_EQ(out, "Hello\tworld\na\nb\nc\nd\ne\n");
  EXPECT_EQ(EvalIn(sc, "r"), "Integer 1");
}

// Without a window InputBox prompts on standard error and reads standard input: one line per
// call; once the input has ended, error 62 "Input past end of file" (VBScript's number for
// reading past the end of a text stream), which the script can trap.
TEST(BuiltinDialogs, DefaultInputBoxReadsLinesOfStandardInput) {
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("lumetrix_inputbox_" + std::to_string(::getpid()) + ".txt");
  {
    std::ofstream f(file, std::ios::binary);
    f << "first line\r\n\nGr\xC3\xBC\xC3\x9F" "e";
  }
  ASSERT_NE(std::freopen(file.string().c_str(), "rb", stdin), nullptr);
  Engine sc;
  ::testing::internal::CaptureStderr();
  bool ok = sc.AddCode("a = InputBox(\"One?\", \"T\", \"d1\")\nb = InputBox(\"Two?\", , \"d2\")\n"
                       "c = InputBox(\"Three?\")\nOn Error Resume Next\nd = InputBox(\"Four?\", , \"d4\")\n"
                       "e = Err.Number & \" \" & Err.Description\nOn Error GoTo 0\nf = InputBox(\"Five?\")");
  std::string out = ::testing::internal::GetCapturedStderr();  // prompts go to standard error
  std::filesystem::remove(file);
  ASSERT_FALSE(ok);  // the untrapped fifth call ends the script
  EXPECT_EQ(Report(sc.Error()), "62 at 8:1 Input past end of file: 'InputBox'");
  EXPECT_EQ(out, "One?\nTwo?\nThree?\nFour?\nFive?\n");
  // An empty line is an empty answer; the last line needs no line break; the default is not used.
  ExpectEvalsIn(sc, {{"a", "String first line"}, {"b", "String "}, {"Len(c)", "Long 5"}, {"IsEmpty(d)", "Boolean True"},
                     {"e", "String 62 Input past end of file"}});
}

TEST(BuiltinObjects, CreateObjectAndGetObjectKnowOnlyTheEnginesClasses) {
  ExpectReports({
      {"Set w = CreateObject(\"Word.Application\")", "429 at 1:1 ActiveX component can't create object: 'Word.Application'"},
      {"x = 1\n  Set x = GetObject(, \"Excel.Application\")", "429 at 2:3 ActiveX component can't create object: 'Excel.Application'"},
  });
  ExpectScripts({{"On Error Resume Next\nSet o = CreateObject(\"X.Y\")\nResult = Err.Number", "Long 429"}});
}

}  // namespace
}  // namespace lumetrix::vbs::testing
