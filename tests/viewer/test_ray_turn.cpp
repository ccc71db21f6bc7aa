// A full turn in 1-degree steps: the ray caster's picture changes smoothly with the angle, where
// the slice stacks jump when another stack takes over (which shows the measure sees a jump).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "export/avi_ui/dialog_options_source.h"
#include "render/offscreen_view.h"
#include "tests/support/tiff_fixture.h"
#include "viewer/viewer.h"

namespace lumetrix {
namespace {

// The largest change between two frames over a turn about y, against the median change.
double LargestChangeOverMedian(Viewer& v) {
  std::vector<double> steps;
  std::vector<uint8_t> previous;
  for (int angle = 0; angle <= 360; ++angle) {
    v.SetYRot(static_cast<float>(angle));
    v.DrawImage();
    const CapturedFrame f = v.Surface().CaptureFrame(0, 0, 120, 120);
    if (!previous.empty()) {
      double sum = 0;
      for (size_t i = 0; i < f.Pixels.size(); ++i) sum += std::abs(int(f.Pixels[i]) - int(previous[i]));
      steps.push_back(sum / static_cast<double>(f.Pixels.size()));
    }
    previous = f.Pixels;
  }
  std::vector<double> sorted = steps;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
  return *std::max_element(steps.begin(), steps.end()) / sorted[sorted.size() / 2];
}

TEST(RayCasterTurn, TheRayCastPictureHasNoJumpWhereTheSliceStacksHaveOne) {
  test_support::TempDir dir;
  // A ball of smooth texture in a 40 x 40 x 40 cube: its outline stays the same as it turns.
  test_support::TiffLayout layout;
  layout.width = layout.height = layout.pages = 40;
  const std::string path = dir.File("ball.tif");
  test_support::WriteTiff(path, layout, [](int p, int x, int y, int) {
    const double r = std::hypot(x - 19.5, y - 19.5, p - 19.5);
    const double texture = 120 + 60 * std::sin(x * 0.5) * std::cos(y * 0.4) * std::sin(p * 0.45 + 1);
    return r < 17 ? static_cast<int>(texture) : 0;
  });
  OffscreenView surface;
  NullProgress progress;
  struct : MessageSink {
    void ShowMessage(const std::string&, MessageIcon) override {}
  } quiet;
  avi::RememberedOptionsSource options;
  Viewer v{surface, ViewerUi{progress, quiet, options}};
  v.SetClientSize(120, 120);
  ASSERT_TRUE(v.OpenAtStart(path));
  v.SetColor(1, 1, 1);
  v.SetScaleZ(v.View().ScaleX);
  v.SetXRot(20);
  std::string why;
  ASSERT_TRUE(v.SetRenderMode("volume", why)) << why;
  const double ray = LargestChangeOverMedian(v);
  ASSERT_TRUE(v.SetRenderMode("additive", why)) << why;
  const double slices = LargestChangeOverMedian(v);
  EXPECT_LE(ray, 2.0);
  EXPECT_GT(slices, 2.0);
}

}  // namespace
}  // namespace lumetrix
