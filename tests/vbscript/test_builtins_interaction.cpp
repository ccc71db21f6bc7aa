// MsgBox and InputBox through the host's dialogs and the standard-output defaults;
// CreateObject and GetObject.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "test_builtins_support.h"
#include "vbscript/host_object.h"

namespace lumetrix::vbs::testing {
namespace {

struct RecordingUi : UiHost {
  struct Call {
    std::string prompt, title, defaultText;
    int buttons = -1;
  };
  std::vector<Call> calls;
  int answer = 1;
  std::string typed;

  int MsgBox(const std::string& prompt, int buttons, const std::string& title) override {
    calls.push_back({prompt, title, {}, buttons});
    return answer;
  }
  std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override {
    calls.push_back({prompt, title, defaultText, -1});
    return typed;
  }
};

TEST(BuiltinMsgBox, ReachesTheHostWithButtonsAndTitle) {
  RecordingUi ui;
  ui.answer = 6;  // vbYes
  ScriptControl sc;
  sc.SetUiHost(&ui);
  ASSERT_TRUE(sc.AddCode("r = MsgBox(\"Grüße\", vbYesNo + vbQuestion, \"Question\")\nok = (r = vbYes)"));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0].prompt, "Grüße");
  EXPECT_EQ(ui.calls[0].buttons, 4 + 32);
  EXPECT_EQ(ui.calls[0].title, "Question");
  EXPECT_EQ(Describe(sc.Eval("r")), "Integer 6");
  EXPECT_EQ(Describe(sc.Eval("ok")), "Boolean True");
}

TEST(BuiltinMsgBox, StatementFormWithArgumentsLeftOut) {
  RecordingUi ui;
  ScriptControl sc;
  sc.SetUiHost(&ui);
  ASSERT_TRUE(sc.AddCode("MsgBox 42\nMsgBox \"b\", , \"T\"\nMsgBox 1.5 & \" mm\", vbOKCancel"));
  ASSERT_EQ(ui.calls.size(), 3u);
  EXPECT_EQ(ui.calls[0].prompt, "42");
  EXPECT_EQ(ui.calls[0].buttons, 0);
  EXPECT_EQ(ui.calls[0].title, "VBScript");
  EXPECT_EQ(ui.calls[1].buttons, 0);
  EXPECT_EQ(ui.calls[1].title, "T");
  EXPECT_EQ(ui.calls[2].prompt, "1.5 mm");
  EXPECT_EQ(ui.calls[2].buttons, 1);
}

TEST(BuiltinMsgBox, BadArgumentsFailBeforeTheDialog) {
  RecordingUi ui;
  ScriptControl sc;
  sc.SetUiHost(&ui);
  EXPECT_FALSE(sc.AddCode("MsgBox Null"));
  EXPECT_EQ(sc.Error().Number, 94);
  EXPECT_FALSE(sc.AddCode("MsgBox \"a\", \"x\""));
  EXPECT_EQ(sc.Error().Number, 13);
  EXPECT_FALSE(sc.AddCode("MsgBox"));
  EXPECT_EQ(sc.Error().Number, 450);
  EXPECT_FALSE(sc.AddCode("MsgBox 1, 2, 3, 4, 5, 6"));
  EXPECT_EQ(sc.Error().Number, 450);
  EXPECT_TRUE(ui.calls.empty());
}

TEST(BuiltinMsgBox, DefaultHostPrintsThePromptAndAnswersOk) {
  ScriptControl sc;
  ::testing::internal::CaptureStdout();
  bool ok = sc.AddCode("r = MsgBox(\"Hello\" & vbTab & \"world\", vbYesNo)");
  std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(ok) << sc.Error().Description;
  EXPECT_EQ(out, "Hello\tworld\n");
  EXPECT_EQ(Describe(sc.Eval("r")), "Integer 1");
}

TEST(BuiltinMsgBox, DefaultHostPrintsLineBreaksAsLinuxLineBreaks) {
  ScriptControl sc;
  ::testing::internal::CaptureStdout();
  bool ok = sc.AddCode("MsgBox \"a\" & vbCrLf & \"b\" & vbNewLine & \"c\" & vbCr & \"d\" & vbLf & \"e\"");
  std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(ok) << sc.Error().Description;
  EXPECT_EQ(out, "a\nb\nc\nd\ne\n");
}

TEST(BuiltinInputBox, ReachesTheHost) {
  RecordingUi ui;
  ui.typed = "12.5";
  ScriptControl sc;
  sc.SetUiHost(&ui);
  ASSERT_TRUE(sc.AddCode("v = InputBox(\"Angle?\", \"Spin\", 30)\nn = CDbl(v) * 2"));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0].prompt, "Angle?");
  EXPECT_EQ(ui.calls[0].title, "Spin");
  EXPECT_EQ(ui.calls[0].defaultText, "30");
  EXPECT_EQ(Describe(sc.Eval("v")), "String 12.5");
  EXPECT_EQ(Describe(sc.Eval("n")), "Double 25");
  ASSERT_TRUE(sc.AddCode("w = InputBox(\"Name?\")"));
  EXPECT_EQ(ui.calls.back().title, "VBScript");
  EXPECT_EQ(ui.calls.back().defaultText, "");
  EXPECT_FALSE(sc.AddCode("w = InputBox(\"a\", , , \"left\")"));
  EXPECT_EQ(sc.Error().Number, 13);
  EXPECT_FALSE(sc.AddCode("w = InputBox()"));
  EXPECT_EQ(sc.Error().Number, 450);
}

// Without a window InputBox prompts on standard error and reads standard input: one line per
// call, the default once the input has ended.
TEST(BuiltinInputBox, DefaultHostReadsLinesOfStandardInput) {
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("lumetrix_inputbox_" + std::to_string(::getpid()) + ".txt");
  {
    std::ofstream f(file, std::ios::binary);
    f << "first line\r\n\nGr\xC3\xBC\xC3\x9F" "e";
  }
  ASSERT_NE(std::freopen(file.string().c_str(), "rb", stdin), nullptr);
  ScriptControl sc;
  ::testing::internal::CaptureStderr();
  bool ok = sc.AddCode(
      "a = InputBox(\"One?\", \"T\", \"d1\")\nb = InputBox(\"Two?\", , \"d2\")\n"
      "c = InputBox(\"Three?\")\nd = InputBox(\"Four?\", , \"d4\")");
  std::string out = ::testing::internal::GetCapturedStderr();  // prompts go to standard error
  std::filesystem::remove(file);
  ASSERT_TRUE(ok) << sc.Error().Description;
  EXPECT_EQ(out, "One?\nTwo?\nThree?\nFour?\n");
  EXPECT_EQ(Describe(sc.Eval("a")), "String first line");
  EXPECT_EQ(Describe(sc.Eval("b")), "String ");  // an empty line is an empty answer
  EXPECT_EQ(Describe(sc.Eval("Len(c)")), "Long 5");  // last line without a line break
  EXPECT_EQ(Describe(sc.Eval("d")), "String d4");
}

TEST(BuiltinObjects, CreateObjectKnowsNoClasses) {
  ScriptControl sc;
  EXPECT_FALSE(sc.AddCode("Set fso = CreateObject(\"Scripting.FileSystemObject\")"));
  EXPECT_EQ(sc.Error().Number, 429);
  EXPECT_NE(sc.Error().Description.find("Scripting.FileSystemObject"), std::string::npos);
  EXPECT_FALSE(sc.AddCode("Set x = GetObject(, \"Excel.Application\")"));
  EXPECT_EQ(sc.Error().Number, 429);
  ExpectScripts({
      {"On Error Resume Next\nSet o = CreateObject(\"X.Y\")\nResult = Err.Number", "Long 429"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
