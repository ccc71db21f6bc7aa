// The script host through the real engine, against a recording viewer and output pane.
#include <gtest/gtest.h>

#include <QColor>
#include <QDateTime>
#include <stdexcept>
#include <string>
#include <vector>

#include "scripting/script_console.h"
#include "scripting/script_host.h"
#include "scripting/script_viewer.h"

namespace lumetrix {
namespace {

struct FakeViewer : ScriptViewer {
  float xrot = 0, yrot = 0, xspeed = 0, yspeed = 0, x = 0, y = 0, z = -3, sx = 30, sy = 30, sz = 100;
  float color[3] = {1, 1, 1}, light[3] = {1, 1, 1}, transparency = 0.3f;
  bool light_on = false, loaded = true, running = false;
  int frames = 0, beeps = 0, refusals = 0, resets = 0;
  std::vector<std::string> captions, saved, palettes;
  std::vector<bool> running_during_frames;
  std::function<void()> on_frame;

  void SetXRot(float a) override { xrot = a; }
  void SetYRot(float a) override { yrot = a; }
  void SetXYRot(float a, float b) override { xrot = a, yrot = b; }
  void SetXRotSpeed(float v) override { xspeed = v; }
  void SetYRotSpeed(float v) override { yspeed = v; }
  void Setx(float v) override { x = v; }
  void Sety(float v) override { y = v; }
  void SetZ(float v) override { z = v; }
  void SetScaleX(float v) override { sx = v; }
  void SetScaleY(float v) override { sy = v; }
  void SetScaleZ(float v) override { sz = v; }
  void SetColor(float r, float g, float b) override { color[0] = r, color[1] = g, color[2] = b; }
  void SetLight(float r, float g, float b) override { light[0] = r, light[1] = g, light[2] = b; }
  void SetTransparency(float a) override { transparency = a; }
  void SetLightOn() override { light_on = true; }
  void SetLightOff() override { light_on = false; }
  void ResetParameters() override { ++resets, xrot = yrot = xspeed = yspeed = 0; }
  void ResetSpeedParameters() override { xspeed = yspeed = 0; }
  void DrawImage() override {
    ++frames;
    xrot += xspeed;
    yrot += yspeed;
    running_during_frames.push_back(running);
    if (on_frame) on_frame();
  }
  void SaveBMP(const std::string& name) override {
    if (name.find("/missing/") != std::string::npos) throw std::runtime_error("cannot write " + name);
    saved.push_back(name);
  }
  void SaveJPG(const std::string& name) override { saved.push_back(name); }
  bool AVIStart(const std::string& name, double, int32_t, int32_t) override { return !name.empty(); }
  void AVIAdd() override {}
  void AVIend() override {}
  bool AVICodec(const std::string& name) override { return name == "mjpeg"; }
  void SetPalette(const std::string& name) override { palettes.push_back(name); }
  void LoadLuts() override {}
  bool VolumeLoaded() const override { return loaded; }
  void SetScriptRunning(bool r) override { running = r; }
  void SetWindowCaption(const std::string& c) override { captions.push_back(c); }
  void RefuseRunWithoutVolume() override { ++refusals; }
  void Beep() override { ++beeps; }
};

// The pane as runs of text with the attributes they were written with.
struct Piece {
  QString text;
  bool emphasis;
  QColor color;
};

struct FakeConsole : ScriptConsole {
  QString source, caption = "Untitled.scp";
  std::vector<Piece> pane;
  bool emphasis = false;
  QColor color = Qt::black;
  int highlighted = 0;

  QString ScriptText() const override { return source; }
  QString Caption() const override { return caption; }
  void showSyn(const QString& text) override { pane.push_back({text, emphasis, color}); }
  void SetOutputEmphasis(bool on) override { emphasis = on; }
  void SetOutputColor(const QColor& c) override { color = c; }
  void HighlightErrorLine(int line) override { highlighted = line; }
  QString Text() const {
    QString all;
    for (const Piece& p : pane) all += p.text;
    return all;
  }
};

class ScriptHostTest : public ::testing::Test {
 protected:
  ScriptHostTest() {
    host.SetClock([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 7)); });
  }
  bool Run(const QString& source) {
    console.source = source;
    return host.RunVBScript();
  }
  FakeViewer viewer;
  FakeConsole console;
  ScriptHost host{viewer, console};
};

TEST_F(ScriptHostTest, WithoutAVolumeTheRunIsRefusedAndNothingIsWritten) {
  viewer.loaded = false;
  EXPECT_FALSE(Run("Sub Main\nEnd Sub"));
  EXPECT_EQ(viewer.refusals, 1);
  EXPECT_TRUE(console.pane.empty());
  EXPECT_TRUE(viewer.captions.empty());
  EXPECT_FALSE(viewer.running);
}

TEST_F(ScriptHostTest, ASuccessfulRunWritesStartAndCompletionLinesAndCaptions) {
  console.caption = "/home/anna/scripts/spin.scp";
  ASSERT_TRUE(Run("Sub Main\n  SetYRot 5\nEnd Sub\n"));
  ASSERT_EQ(console.pane.size(), 5u);
  EXPECT_EQ(console.pane[0].text, "\r\n");
  EXPECT_EQ(console.pane[1].text, "Script spin.scp");
  EXPECT_EQ(console.pane[2].text, " started at:09:05:07\r\n");
  EXPECT_EQ(console.pane[3].text, "Script spin.scp");
  EXPECT_EQ(console.pane[4].text, " completed at: 09:05:07\r\n");
  for (const Piece& p : console.pane) {
    EXPECT_TRUE(p.emphasis) << p.text.toStdString();
    EXPECT_EQ(p.color, QColor(Qt::black));
  }
  EXPECT_FALSE(console.emphasis);
  ASSERT_EQ(viewer.captions.size(), 2u);
  EXPECT_EQ(viewer.captions[0].rfind("Running - spin.scp (Start: 07-", 0), 0u) << viewer.captions[0];
  EXPECT_EQ(viewer.captions[0].substr(viewer.captions[0].size() - 8), " 09:05) ");
  EXPECT_EQ(viewer.captions[1], "3D Image Viewer");
  EXPECT_EQ(viewer.yrot, 5);
  EXPECT_FALSE(viewer.running);
  EXPECT_FALSE(host.ScriptRunning());
}

TEST_F(ScriptHostTest, BackslashCaptionsAreNamedByTheirLastPart) {
  EXPECT_EQ(ScriptHost::ScriptName("C:\\scripts\\spin.scp"), "spin.scp");
  EXPECT_EQ(ScriptHost::ScriptName("Untitled.scp"), "Untitled.scp");
}

TEST_F(ScriptHostTest, AFullTurnLeavesTheSpeedSetAndDrawsWhileRunning) {
  ASSERT_TRUE(Run("Sub Main\n  SetYRotSpeed 2\n  Dim i\n  For i = 1 To 180\n    DrawImage\n  Next\nEnd Sub\n"));
  EXPECT_EQ(viewer.frames, 180);
  EXPECT_FLOAT_EQ(viewer.yrot, 360);
  EXPECT_EQ(viewer.yspeed, 2);
  EXPECT_EQ(viewer.resets, 0);  // the host resets nothing of the view
  for (bool r : viewer.running_during_frames) EXPECT_TRUE(r);
}

TEST_F(ScriptHostTest, MembersAreCallableQualifiedAndInAnyCaseWithConvertedArguments) {
  ASSERT_TRUE(Run("Sub Main\n  Draw.setxrot \"12.5\"\n  DRAW.SetColor 1, 0.5, True\n  setlight 2, 3, 4\n"
                  "  SetTransparency 1.5\n  SetLightOn\n  SetPalette \"Fire\"\nEnd Sub"));
  EXPECT_EQ(viewer.xrot, 12.5f);
  EXPECT_EQ(viewer.color[1], 0.5f);
  EXPECT_EQ(viewer.color[2], -1.0f);  // True is -1
  EXPECT_EQ(viewer.light[2], 4.0f);
  EXPECT_EQ(viewer.transparency, 1.5f);
  EXPECT_TRUE(viewer.light_on);
  ASSERT_EQ(viewer.palettes.size(), 1u);
  EXPECT_EQ(viewer.palettes[0], "Fire");
}

TEST_F(ScriptHostTest, AVIStartReturnsItsSuccess) {
  ASSERT_TRUE(Run("Sub Main\n  If AVIStart(\"/tmp/a.avi\", 25, 0, 0) Then SetXRot 1\n"
                  "  If Not AVIStart(\"\", 25, 0, 0) Then SetYRot 2\n"
                  "  If AVICodec(\"mjpeg\") Then Setx 3\nEnd Sub"));
  EXPECT_EQ(viewer.xrot, 1);
  EXPECT_EQ(viewer.yrot, 2);
  EXPECT_EQ(viewer.x, 3);
}

TEST_F(ScriptHostTest, AnEmptyScriptFailsForWantOfMainWithTheStopLineOnly) {
  EXPECT_FALSE(Run(""));
  EXPECT_EQ(viewer.beeps, 1);
  ASSERT_GE(console.pane.size(), 5u);
  EXPECT_EQ(console.pane[3].text, "Script Untitled.scp");
  EXPECT_EQ(console.pane[4].text, " stopped with error at: 09:05:07\r\n");
  EXPECT_EQ(console.pane[3].color, QColor(255, 0, 0));
  EXPECT_TRUE(console.pane[3].emphasis);
  EXPECT_EQ(viewer.captions.back(), "3D Image Viewer - Stopped - Error in Script");
  EXPECT_FALSE(viewer.running);
  EXPECT_NE(host.LastError().Number, 0);
}

TEST_F(ScriptHostTest, ASyntaxErrorIsReportedWithItsLineColumnAndSourceText) {
  EXPECT_FALSE(Run("Sub Main\n  SetXRot 1\n  If x Then\n    SetYRot 2\nEnd Sub\n"));
  const vbs::ErrorInfo& e = host.LastError();
  EXPECT_TRUE(e.Number >= 1001 && e.Number <= 1099) << e.Number;
  EXPECT_GT(e.Line, 0);
  ASSERT_EQ(console.pane.size(), 8u);
  EXPECT_EQ(console.pane[5].text, "Error: " + QString::fromStdString(e.Description));
  EXPECT_EQ(console.pane[5].color, QColor(255, 0, 0));
  EXPECT_EQ(console.pane[6].text,
            " at line: " + QString::number(e.Line) + " column: " + QString::number(e.Column));
  EXPECT_EQ(console.pane[6].color, QColor(0, 0, 255));
  EXPECT_EQ(console.pane[7].text, "  \"" + QString::fromStdString(e.Text).trimmed() + "\"\r\n");
  EXPECT_EQ(console.pane[7].color, QColor(0, 0, 0));
  EXPECT_FALSE(console.pane[7].emphasis);
  EXPECT_EQ(console.highlighted, e.Line);
  EXPECT_EQ(viewer.yrot, 0);
}

TEST_F(ScriptHostTest, ARunTimeErrorNamesTheOffendingStatement) {
  EXPECT_FALSE(Run("Sub Main\n  SetXRot 1\n  SetYRot \"north\"\n  SetXRot 2\nEnd Sub\n"));
  const vbs::ErrorInfo& e = host.LastError();
  EXPECT_EQ(e.Number, 13);
  EXPECT_EQ(e.Description, "Type mismatch");
  EXPECT_EQ(e.Line, 3);
  EXPECT_EQ(QString::fromStdString(e.Text).trimmed(), "SetYRot \"north\"");
  EXPECT_EQ(ScriptHost::ErrorLine(e).toStdString(),
            "Error: Type mismatch at line: 3 column: " + std::to_string(e.Column) + "  \"SetYRot \"north\"\"");
  EXPECT_EQ(viewer.xrot, 1);  // the run stopped at line 3
}

TEST_F(ScriptHostTest, AFailingViewerOperationFailsTheRunButCanBeTrapped) {
  EXPECT_FALSE(Run("Sub Main\n  SaveBMP \"/missing/a.bmp\"\nEnd Sub"));
  EXPECT_EQ(host.LastError().Line, 2);
  EXPECT_TRUE(Run("Sub Main\n  On Error Resume Next\n  SaveBMP \"/missing/a.bmp\"\n"
                  "  If Err.Number <> 0 Then SaveBMP \"/tmp/ok.bmp\"\nEnd Sub"));
  ASSERT_EQ(viewer.saved.size(), 1u);
  EXPECT_EQ(viewer.saved[0], "/tmp/ok.bmp");
}

TEST_F(ScriptHostTest, ASecondRunDoesNotSeeTheProceduresOfTheFirst) {
  ASSERT_TRUE(Run("Sub Helper\n  SetXRot 7\nEnd Sub\nSub Main\n  Helper\nEnd Sub"));
  EXPECT_EQ(viewer.xrot, 7);
  EXPECT_FALSE(Run("Sub Main\n  Helper\nEnd Sub"));
  EXPECT_EQ(host.LastError().Line, 2);
  // The same text twice behaves alike: no "Name redefined" from the earlier run.
  ASSERT_TRUE(Run("Sub Main\n  SetYRot 1\nEnd Sub"));
  ASSERT_TRUE(Run("Sub Main\n  SetYRot 1\nEnd Sub"));
}

TEST_F(ScriptHostTest, RunsStartedDuringARunAreRefused) {
  bool inner = true;
  viewer.on_frame = [&] { inner = host.RunVBScript(); };
  ASSERT_TRUE(Run("Sub Main\n  DrawImage\nEnd Sub"));
  EXPECT_FALSE(inner);
  // The script object's own RunVBScript raises an error inside the script.
  viewer.on_frame = nullptr;
  EXPECT_FALSE(Run("Sub Main\n  RunVBScript\nEnd Sub"));
  EXPECT_EQ(host.LastError().Line, 2);
}

TEST_F(ScriptHostTest, StopScriptEndsARunawayLoop) {
  viewer.on_frame = [&] {
    if (viewer.frames == 50) host.StopScript();
  };
  EXPECT_FALSE(Run("Sub Main\n  Do\n    DrawImage\n  Loop\nEnd Sub"));
  EXPECT_EQ(viewer.frames, 50);
  EXPECT_FALSE(viewer.running);
  EXPECT_EQ(viewer.captions.back(), "3D Image Viewer - Stopped - Error in Script");
  // The next run is not stopped by the old request.
  viewer.on_frame = nullptr;
  EXPECT_TRUE(Run("Sub Main\n  DrawImage\nEnd Sub"));
}

TEST_F(ScriptHostTest, StopScriptOutsideARunDoesNothing) {
  host.StopScript();
  EXPECT_TRUE(Run("Sub Main\n  DrawImage\nEnd Sub"));
  EXPECT_EQ(viewer.frames, 1);
}

}  // namespace
}  // namespace lumetrix
