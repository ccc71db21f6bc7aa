// The script host through the real engine, with a recording script object, run site and pane.
#include <gtest/gtest.h>

#include <QColor>
#include <QDateTime>
#include <functional>
#include <string>
#include <vector>

#include "scripting/script_console.h"
#include "scripting/script_host.h"
#include "scripting/vbscript/errors.h"

namespace lumetrix {
namespace {

// "Draw" with three members: SetXRot angle, DrawImage, and Fail (a file error).
struct FakeDraw : vbs::HostObject {
  float xrot = 0;
  int frames = 0;
  std::function<void()> on_frame;
  std::vector<std::string> MemberNames() const override { return {"SetXRot", "DrawImage", "Fail"}; }
  vbs::Variant Invoke(int member, std::span<const vbs::Variant> args) override {
    if (member == 0) xrot = vbs::ToSingle(args[0]);
    if (member == 1) {
      ++frames;
      if (on_frame) on_frame();
    }
    if (member == 2) throw vbs::ScriptError(75, "Path/File access error: no folder");
    return {};
  }
};

struct FakeSite : ScriptRunSite {
  bool loaded = true, running = false;
  int beeps = 0, refusals = 0;
  std::vector<std::string> captions;
  bool VolumeLoaded() const override { return loaded; }
  void SetScriptRunning(bool r) override { running = r; }
  void SetWindowCaption(const std::string& c) override { captions.push_back(c); }
  void RefuseRunWithoutVolume() override { ++refusals; }
  void Beep() override { ++beeps; }
};

// The pane as text, each piece marked with its attributes: "*" emphasis, "R:" red, "B:" blue,
// and ending in "|".
struct FakeConsole : ScriptConsole {
  QString source, caption = "Untitled.scp", pane;
  bool emphasis = false;
  QColor color = Qt::black;
  int highlighted = 0;
  QString ScriptText() const override { return source; }
  QString Caption() const override { return caption; }
  void showSyn(const QString& text) override {
    pane += QString(emphasis ? "*" : "") + (color == Qt::red ? "R:" : color == Qt::blue ? "B:" : "") + text + "|";
  }
  void SetOutputEmphasis(bool on) override { emphasis = on; }
  void SetOutputColor(const QColor& c) override { color = c; }
  void HighlightErrorLine(int line) override { highlighted = line; }
};

const QString kStart = "*\r\n|*Script Untitled.scp|* started at:09:05:07\r\n|";
const QString kStopped = "*R:Script Untitled.scp|*R: stopped with error at: 09:05:07\r\n|";

class ScriptHostTest : public ::testing::Test {
 protected:
  ScriptHostTest() { host.SetClock([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 7)); }); }
  bool Run(const QString& source) {
    console.source = source;
    console.pane.clear();
    return host.RunVBScript();
  }
  FakeSite site;
  FakeConsole console;
  std::shared_ptr<FakeDraw> draw = std::make_shared<FakeDraw>();
  ScriptHost host{site, console, draw};
};

TEST_F(ScriptHostTest, WithoutAVolumeTheRunIsRefusedAndNothingIsWritten) {
  site.loaded = false;
  EXPECT_FALSE(Run("Sub Main\nEnd Sub"));
  EXPECT_EQ(site.refusals, 1);
  EXPECT_TRUE(console.pane.isEmpty() && site.captions.empty() && !site.running);
}

TEST_F(ScriptHostTest, ASuccessfulRunWritesStartAndCompletionLinesAndCaptions) {
  console.caption = "C:\\scripts\\spin.scp";
  std::vector<bool> running_during_frames;
  draw->on_frame = [&] { running_during_frames.push_back(site.running); };
  ASSERT_TRUE(Run("Sub Main\n  Draw.setxrot \"12.5\"\n  Dim i\n  For i = 1 To 3: DrawImage: Next\nEnd Sub\n"));
  EXPECT_EQ(console.pane, "*\r\n|*Script spin.scp|* started at:09:05:07\r\n|*Script spin.scp|* completed at: 09:05:07\r\n|");
  EXPECT_FALSE(console.emphasis);
  ASSERT_EQ(site.captions.size(), 2u);
  EXPECT_EQ(site.captions[0].rfind("Running - spin.scp (Start: 07-", 0), 0u) << site.captions[0];
  EXPECT_EQ(site.captions[0].substr(site.captions[0].size() - 8), " 09:05) ");
  EXPECT_EQ(site.captions[1], "3D Image Viewer");
  EXPECT_EQ(draw->xrot, 12.5f);
  EXPECT_EQ(running_during_frames, (std::vector<bool>{true, true, true}));
  EXPECT_FALSE(site.running || host.ScriptRunning());
  EXPECT_EQ(ScriptHost::ScriptName("/home/anna/turn.scp"), "turn.scp");
}

TEST_F(ScriptHostTest, AnEmptyScriptFailsForWantOfMainWithTheRedStopLineOnly) {
  EXPECT_FALSE(Run(""));
  EXPECT_EQ(site.beeps, 1);
  EXPECT_EQ(console.pane, kStart + kStopped);  // no source text: no error line
  EXPECT_EQ(site.captions.back(), "3D Image Viewer - Stopped - Error in Script");
  EXPECT_FALSE(site.running);
}

TEST_F(ScriptHostTest, ASyntaxErrorIsReportedWithItsLineColumnAndSourceText) {
  EXPECT_FALSE(Run("Sub Main\n  SetXRot 1\n  If x Then\n    SetXRot 2\nEnd Sub\n"));
  const vbs::ErrorInfo& e = host.LastError();
  EXPECT_TRUE(e.Number >= 1001 && e.Number <= 1099) << e.Number;
  EXPECT_EQ(console.pane, kStart + kStopped + "R:Error: " + QString::fromStdString(e.Description) + "|B: at line: " +
                              QString::number(e.Line) + " column: " + QString::number(e.Column) + "|  \"" +
                              QString::fromStdString(e.Text).trimmed() + "\"\r\n|");
  EXPECT_EQ(console.highlighted, e.Line);
  EXPECT_EQ(draw->xrot, 0);  // nothing ran
}

TEST_F(ScriptHostTest, ARunTimeErrorNamesTheStatementAndObjectErrorsCanBeTrapped) {
  EXPECT_FALSE(Run("Sub Main\n  SetXRot 1\n  SetXRot \"north\"\n  SetXRot 2\nEnd Sub\n"));
  const vbs::ErrorInfo& e = host.LastError();
  EXPECT_EQ(ScriptHost::ErrorLine(e).toStdString(),
            "Error: Type mismatch at line: 3 column: " + std::to_string(e.Column) + "  \"SetXRot \"north\"\"");
  EXPECT_EQ(draw->xrot, 1);  // the run stopped at line 3
  EXPECT_FALSE(Run("Sub Main\n  Fail\nEnd Sub"));
  EXPECT_EQ(host.LastError().Number, 75);
  EXPECT_EQ(host.LastError().Line, 2);
  EXPECT_TRUE(Run("Sub Main\n  On Error Resume Next\n  Fail\n  If Err.Number = 75 Then SetXRot 9\nEnd Sub"));
  EXPECT_EQ(draw->xrot, 9);
}

TEST_F(ScriptHostTest, ASecondRunDoesNotSeeTheProceduresOfTheFirst) {
  ASSERT_TRUE(Run("Sub Helper\n  SetXRot 7\nEnd Sub\nSub Main\n  Helper\nEnd Sub"));
  EXPECT_EQ(draw->xrot, 7);
  EXPECT_FALSE(Run("Sub Main\n  Helper\nEnd Sub"));
  EXPECT_EQ(host.LastError().Line, 2);
  // The same text twice behaves alike: no "Name redefined" from the earlier run.
  ASSERT_TRUE(Run("Sub Main\n  SetXRot 1\nEnd Sub"));
  ASSERT_TRUE(Run("Sub Main\n  SetXRot 1\nEnd Sub"));
}

TEST_F(ScriptHostTest, ARunStartedDuringARunIsRefusedAndStopScriptEndsOnlyTheRunningOne) {
  bool inner = true;
  draw->on_frame = [&] { inner = host.RunVBScript(); };
  ASSERT_TRUE(Run("Sub Main\n  DrawImage\nEnd Sub"));
  EXPECT_FALSE(inner);
  EXPECT_TRUE(console.pane.contains("|R:A script is already running"));
  host.StopScript();  // outside a run: nothing
  draw->on_frame = [&] {
    if (draw->frames == 50) host.StopScript();
  };
  EXPECT_FALSE(Run("Sub Main\n  Do\n    DrawImage\n  Loop\nEnd Sub"));
  EXPECT_EQ(draw->frames, 50);
  EXPECT_FALSE(site.running);
  EXPECT_EQ(site.captions.back(), "3D Image Viewer - Stopped");  // stopped by the user: no error, in plain text
  EXPECT_TRUE(console.pane.endsWith("|*Script Untitled.scp|* stopped at: 09:05:07\r\n|")) << console.pane.toStdString();
  draw->on_frame = nullptr;
  EXPECT_TRUE(Run("Sub Main\n  DrawImage\nEnd Sub"));
  EXPECT_EQ(draw->frames, 51);
}

}  // namespace
}  // namespace lumetrix
