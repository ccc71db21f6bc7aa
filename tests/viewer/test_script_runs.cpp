// Scripts run in the main window: the editor's text against the shown volume.
#include <gtest/gtest.h>

#include <QAction>
#include <QTextEdit>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "scripting/frm_vb_editor.h"
#include "tests/support/tiff_fixture.h"
#include "viewer/frm_3d.h"

namespace lumetrix {
namespace {

using test_support::TempDir;

std::string Volume(const TempDir& dir) {
  test_support::TiffLayout layout;
  layout.width = 32, layout.height = 32, layout.pages = 8;
  test_support::WriteTiff(dir.File("v.tif"), layout, [](int p, int x, int y, int) { return (x * 5 + y * 3 + p * 30) % 256; });
  return dir.File("v.tif");
}

std::string WriteScript(const TempDir& dir, const std::string& text) {
  std::ofstream(dir.File("s.scp"), std::ios::binary) << text;
  return dir.File("s.scp");
}

TEST(ScriptRuns, AFullTurnEndsAt360DegreesAndSavesItsFrames) {
  TempDir dir;
  frm3D w(true);
  ASSERT_TRUE(w.OpenAtStart(Volume(dir)));
  const std::string script = WriteScript(dir,
      "Sub Main\n"
      "  Dim i\n"
      "  SetYRotSpeed 2\n"
      "  For i = 1 To 180\n"
      "    DrawImage\n"
      "    If i Mod 45 = 0 Then SaveBMP \"" + dir.File("turn_") + "\" & i & \".bmp\"\n"
      "  Next\n"
      "  SetYRotSpeed 0\n"
      "End Sub\n");
  std::string error;
  ASSERT_TRUE(w.RunScriptFile(script, error)) << error;
  // Stopped at the end: the viewer's own frames, which resume after the run, turn it no further.
  EXPECT_FLOAT_EQ(w.View().YRot, 360);
  EXPECT_FALSE(w.ScriptRunning);
  for (int i : {45, 90, 135, 180}) {
    const std::string frame = dir.File("turn_" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(std::filesystem::exists(frame)) << frame;
    EXPECT_EQ(std::filesystem::file_size(frame), std::filesystem::file_size(dir.File("turn_45.bmp")));
  }
}

TEST(ScriptRuns, AScriptErrorIsReturnedAsTheErrorLine) {
  TempDir dir;
  frm3D w(true);
  ASSERT_TRUE(w.OpenAtStart(Volume(dir)));
  std::string error;
  EXPECT_FALSE(w.RunScriptFile(WriteScript(dir, "Sub Main\n  x = 1 / 0\nEnd Sub\n"), error));
  EXPECT_EQ(error.rfind("Error: Division by zero at line: 2 column: ", 0), 0u) << error;
  EXPECT_FALSE(w.RunScriptFile(dir.File("none.scp"), error));
  EXPECT_FALSE(error.empty());
}

TEST(ScriptRuns, TheEditorsScriptRunsFromTheMenuAndEscapeStopsIt) {
  TempDir dir;
  frm3D w;
  w.show();
  ASSERT_TRUE(w.OpenAtStart(Volume(dir)));
  QAction* stop = w.findChild<QAction*>("mnuScriptStop");
  ASSERT_NE(stop, nullptr);
  EXPECT_FALSE(stop->isEnabled());
  w.Editor()->SetScriptText("Sub Main\n  Do\n    SetXRotSpeed 1\n    DrawImage\n  Loop\nEnd Sub\n");
  // Stop once the run is under way and has drawn a few frames (the pane and the first frames may
  // take a while on a loaded machine).
  bool enabled_while_running = false, running_flag = false;
  QTimer poll(&w);
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, &w, [&] {
    if (!w.ScriptRunning || w.View().XRot < 3) return;
    enabled_while_running = stop->isEnabled();
    running_flag = w.ScriptRunning;
    poll.stop();
    stop->trigger();
  });
  poll.start();
  w.RunVBScript();
  EXPECT_TRUE(enabled_while_running);
  EXPECT_TRUE(running_flag);
  EXPECT_FALSE(w.ScriptRunning);
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_GT(w.View().XRot, 0);
  EXPECT_TRUE(w.Editor()->txtOut()->toPlainText().contains("stopped with error at: "));
  EXPECT_EQ(w.windowTitle(), "3D Image Viewer - Stopped - Error in Script");
}

}  // namespace
}  // namespace lumetrix
