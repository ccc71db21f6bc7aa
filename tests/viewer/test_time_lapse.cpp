// Time-lapse playback over offscreen viewers: the time controls play a 3-time-point, 2-channel
// 16-bit stack in order, each time point prepared ahead on worker threads; its 8-bit view matches
// numpy's and its picture the one a viewer that went straight to that time point draws.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/tiff_fixture.h"
#include "viewer_ui/offscreen_viewer.h"
#include "viewer_ui/time_controls.h"
#include "viewer_ui/time_player.h"

namespace lumetrix {
namespace {

constexpr int kW = 24, kH = 20, kD = 5, kT = 3;

// The stack (TZCYX) and, per time point, the 8-bit view numpy expects in the viewer's layout
// (index p + D*(x + W*(y + H*c)), c red, green, blue): channel 1 red over 0..1000, channel 2
// green over 100..900, levels rounded half up, nothing blue.
void WriteStack(const test_support::TempDir& dir) {
  const std::string py = dir.File("make.py");
  std::ofstream(py) << "import numpy as np, tifffile\n"
                       "t,z,c,y,x = np.ogrid[0:3,0:5,0:2,0:20,0:24]\n"
                       "f = ((t*700 + z*90 + c*300 + y*17 + x*13) % 1000).astype('u2')\n"
                       "tifffile.imwrite('" << dir.File("tl.tif") << "', f, imagej=True, metadata={'axes':'TZCYX'})\n"
                       "for k in range(3):\n"
                       "  v = f[k].astype('f8')  # z, c, y, x\n"
                       "  red = np.floor(np.clip(v[:,0]*255.0/1000, 0, 255) + 0.5)\n"
                       "  green = np.floor(np.clip((v[:,1]-100)*255.0/800, 0, 255) + 0.5)\n"
                       "  e = np.stack([red, green, np.zeros_like(red)])  # c, z, y, x\n"
                       "  e.transpose(0, 2, 3, 1).astype('u1').tofile('" << dir.File("t") << "%d.raw' % (k+1))\n";
  ASSERT_EQ(std::system(("/usr/bin/python3 " + py).c_str()), 0);
}

std::vector<uint8_t> Expected(const test_support::TempDir& dir, int t) {
  std::string name = "t";
  name += std::to_string(t);
  name += ".raw";
  std::ifstream in(dir.File(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Open(OffscreenViewer& o, const std::string& path) {
  o.viewer.SetClientSize(64, 48);
  std::string why;
  ASSERT_TRUE(o.viewer.OpenImage(path, why)) << why;
  o.viewer.ResizeGL(64, 48);
  o.viewer.SetChannelColor(1, 255, 0, 0);
  o.viewer.SetChannelColor(2, 0, 255, 0);
  o.viewer.SetDisplayRange(1, 0, 1000);
  o.viewer.SetDisplayRange(2, 100, 900);
}

std::vector<uint8_t> Picture(Viewer& v) {
  v.DrawImage();
  return v.Surface().CaptureFrame(0, 0, 64, 48).Pixels;
}

// Waits for the worker preparing t (no clock decides: a worker that never ends hangs the test
// until the run's time limit fails it).
void AwaitPrepared(Viewer& v, int32_t t) {
  while (!v.TimePointReady(t)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(TimeLapse, PlaysTheTimePointsInOrderWithThePicturesOfAStraightSetTimePoint) {
  test_support::TempDir dir;
  WriteStack(dir);
  OffscreenViewer played, straight;
  Open(played, dir.File("tl.tif"));
  Open(straight, dir.File("tl.tif"));
  Viewer& v = played.viewer;
  ASSERT_EQ(std::pair(v.TimePointCount(), v.Volume().Samples.size()), std::pair(kT, size_t{kW * kH * kD * 3}));
  QWidget window;
  auto& controls = *new TimeControls(v, &window);
  auto* label = controls.findChild<QLabel*>("lblTime");
  EXPECT_EQ(label->text(), "1 of 3");
  EXPECT_FALSE(controls.isHidden());
  TimePlayer& player = controls.Player();
  controls.findChild<QToolButton*>("btnPlay")->click();
  ASSERT_TRUE(player.Model().Playing());
  std::vector<int32_t> shown;
  auto step = [&] {
    const int32_t next = player.Model().Upcoming(v.TimePoint(), kT);
    ASSERT_TRUE(next >= 1 && next <= kT) << next;
    AwaitPrepared(v, next);
    player.Step();
    shown.push_back(v.TimePoint());
    SCOPED_TRACE(v.TimePoint());
    EXPECT_EQ(label->text(), QString("%1 of 3").arg(v.TimePoint()));
    const std::vector<uint8_t> expected = Expected(dir, v.TimePoint());
    EXPECT_TRUE(std::equal(v.Volume().Samples.begin(), v.Volume().Samples.end(), expected.begin(), expected.end()));
    straight.viewer.SetTimePoint(v.TimePoint());
    EXPECT_EQ(Picture(v), Picture(straight.viewer));
  };
  for (int i = 0; i < 4; ++i) step();
  EXPECT_EQ(shown, std::vector<int32_t>({2, 3, 1, 2}));
  EXPECT_EQ(v.TimePointsFromPreparation(), 4);  // each one only uploaded
  controls.findChild<QCheckBox*>("chkLoop")->click();  // off: 3 is the last
  step();
  EXPECT_FALSE(player.Model().Playing());
  EXPECT_EQ(controls.findChild<QToolButton*>("btnPlay")->text(), "Play");
  EXPECT_EQ(shown.back(), 3);

  // A time point prepared before the display changed is made anew for the display as it is.
  v.PrepareTimePoint(1);
  AwaitPrepared(v, 1);
  v.SetDisplayRange(1, 200, 600);
  straight.viewer.SetDisplayRange(1, 200, 600);
  EXPECT_FALSE(v.TimePointReady(1));
  controls.findChild<QSlider*>("sldTime")->setValue(1);
  straight.viewer.SetTimePoint(1);
  EXPECT_EQ(std::pair(v.TimePoint(), v.TimePointsFromPreparation()), std::pair(1, int64_t{5}));
  EXPECT_EQ(label->text(), "1 of 3");
  EXPECT_TRUE(std::equal(v.Volume().Samples.begin(), v.Volume().Samples.end(), straight.viewer.Volume().Samples.begin(),
                         straight.viewer.Volume().Samples.end()));
  EXPECT_EQ(Picture(v), Picture(straight.viewer));

  // A running script has the view: a playback step during its run pauses instead of changing
  // the time point under it.
  controls.findChild<QToolButton*>("btnPlay")->click();
  ASSERT_TRUE(player.Model().Playing());
  int32_t during = 0;
  v.Observe([&](ViewerChange c) {
    if (c != ViewerChange::ScriptRunning || !v.ScriptRunning()) return;
    player.Step();
    during = v.TimePoint();
  });
  std::ofstream(dir.File("s.scp")) << "Sub Main\n  DrawImage\nEnd Sub\n";
  std::string error;
  ASSERT_TRUE(v.RunScriptFile(dir.File("s.scp"), error)) << error;
  EXPECT_EQ(std::pair(during, v.TimePoint()), std::pair(1, 1));
  EXPECT_FALSE(player.Model().Playing());
}

}  // namespace
}  // namespace lumetrix
