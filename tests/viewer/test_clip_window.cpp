// Cutting and coarse frames, offscreen and in the window: the crop outline read back from the
// frames of both renderers, the plane a Ctrl+drag makes, the Clip group and the render row, and
// coarse frames while the view moves that are never the ones captured.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>
#include <set>

#include "tests/viewer/viewer_fixture.h"
#include "viewer_ui/clip_panel.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/gl_view.h"
#include "viewer_ui/offscreen_viewer.h"
#include "viewer_ui/render_panel.h"

namespace lumetrix {
namespace {

using test_support::TempDir;

// Columns of the pixels of row `y` (from the top; all rows for -1) whose red is above `level` and
// above blue by `over_blue` (the outline's colour; a grey volume never has it).
std::vector<int> Lit(const CapturedFrame& f, int y, int level, int over_blue = -255) {
  std::vector<int> lit;
  for (int row = 0; row < f.Height; ++row)
    for (int x = 0; x < f.Width && (y < 0 || row == f.Height - 1 - y); ++x) {
      const uint8_t* p = f.Pixels.data() + static_cast<size_t>(row) * FrameRowStride(f.Width) + x * 3;
      if (p[2] > level && p[2] - p[0] > over_blue) lit.push_back(x);
    }
  return lit;
}

// A 64 x 64 x 4 grey stack drawn at 200 x 200: page 0 at 200 (it shows as 30), the others black.
class OffscreenClip : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::TiffLayout layout;
    layout.width = 64, layout.height = 64, layout.pages = 4;
    test_support::WriteTiff(dir_.File("v.tif"), layout, [&](int p, int, int, int) { return p ? 0 : 200; });
    v_.SetClientSize(200, 200);
    std::string why;
    ASSERT_TRUE(v_.OpenImage(dir_.File("v.tif"), why)) << why;
  }
  CapturedFrame Frame() {
    v_.DrawImage();
    return o_.surface.CaptureFrame(0, 0, 200, 200);
  }
  TempDir dir_;
  OffscreenViewer o_;
  Viewer& v_ = o_.viewer;
};

// Crop x to voxels 16..47 of 64 (model x -0.5..0.5) of a volume 0.42 deep seen from 3: the box's
// vertical edges cross the middle row at 100 +- 0.5 / (d tan 22.5) * 100 for the front (d = 2.79)
// and back (d = 3.21) faces: columns 57, 62, 138 and 143. Without the outline, none.
TEST_F(OffscreenClip, TheCropOutlineIsDrawnOnlyWhenAskedInBothRenderers) {
  v_.SetCrop({16, 47, 0, 63, 0, 3});
  for (const char* mode : {"additive", "volume"}) {
    std::string why;
    ASSERT_TRUE(v_.SetRenderMode(mode, why)) << why;
    const CapturedFrame plain = Frame();
    EXPECT_EQ(Lit(plain, -1, 100, 100).size(), 0u) << mode;
    v_.ShowCropOutline(true);
    std::set<int> edges;
    for (int x : Lit(Frame(), 100, 100, 100)) {
      int near = -x;  // on no edge
      for (int edge : {57, 62, 138, 143}) near = std::abs(x - edge) <= 1 ? edge : near;
      edges.insert(near);
    }
    EXPECT_EQ(edges, (std::set<int>{57, 62, 138, 143})) << mode;
    v_.ShowCropOutline(false);
    EXPECT_EQ(Frame().Pixels, plain.Pixels) << mode;
  }
}

// A Ctrl+drag without a plane makes one facing the viewer through the centre: it cuts away the
// near half, which holds the lit page 0 seen from the front, and the far half from behind.
TEST_F(OffscreenClip, APlaneMadeByCtrlDragCutsAwayTheHalfNearTheViewer) {
  for (const float y_rot : {0.0f, 180.0f}) {
    v_.ClearClipPlane();
    v_.SetYRot(y_rot);
    ASSERT_GT(Lit(Frame(), 100, 10).size(), 50u);
    v_.MouseDown(MouseButton::Left, 100, 100, true);
    v_.MouseMove(110, 100);  // sideways: the plane stays at the centre
    v_.MouseUp(MouseButton::Left);
    EXPECT_TRUE(v_.View().Clip.On && v_.View().YRot == y_rot);
    EXPECT_EQ(Lit(Frame(), 100, 10).size() > 50, y_rot == 180) << y_rot;
  }
}

// A frm3D window showing a 32 x 32 x 4 stack, with the render and clip panels in a window of
// their own that follows the view's changes.
class ClipWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    w_.show();
    ASSERT_TRUE(w_.OpenAtStart(testing::Stack(dir_, "v.tif", 4, 32, 32)));
    gl_ = w_.findChild<GlView*>();
    d_ = new QWidget(&w_, Qt::Window);
    auto* column = new QVBoxLayout(d_);
    auto* render = new RenderPanel(v());
    auto* clip = new ClipPanel(v());
    column->addWidget(render), column->addWidget(clip);
    v().Observe([render = QPointer(render), clip = QPointer(clip)](ViewerChange c) {
      if (c == ViewerChange::View && render && clip) render->Refresh(), clip->Refresh();
    });
    render->Refresh(), clip->Refresh();
    d_->show();
    ASSERT_TRUE(gl_);
  }
  Viewer& v() { return w_.TheViewer(); }
  template <typename T>
  T* Find(const char* name) { return d_->findChild<T*>(name); }
  CapturedFrame Capture() { return gl_->CaptureFrame(0, 0, v().ScaleWidth(), v().ScaleHeight()); }
  // A frame drawn now (a repaint may wait for the window system), then captured.
  CapturedFrame Drawn() { return gl_->grabFramebuffer(), Capture(); }
  TempDir dir_;
  frm3D w_;
  GlView* gl_ = nullptr;
  QWidget* d_ = nullptr;
};

TEST_F(ClipWindow, TheClipGroupSetsTheCropBoxAndPlaneAndFollowsChangesMadeElsewhere) {
  auto slider = [this](const char* name) { return Find<QSlider>(name); };
  auto box = [this](const char* name) { return Find<QSpinBox>(name); };
  const auto& crop = v().View().Crop.Limits;
  EXPECT_EQ(std::pair(slider("sldCropX1")->maximum(), slider("sldCropZ1")->value()), std::pair(31, 3));
  EXPECT_EQ(Lit(Drawn(), -1, 100, 100).size(), 0u);
  emit slider("sldCropX0")->sliderPressed();  // the outline shows while the slider is held
  slider("sldCropX0")->setValue(10);
  EXPECT_EQ(crop[0], 10);
  EXPECT_GT(Lit(Drawn(), -1, 100, 100).size(), 100u);
  emit slider("sldCropX0")->sliderReleased();
  EXPECT_EQ(Lit(Drawn(), -1, 100, 100).size(), 0u);
  box("txtCropX1")->setValue(4);  // pushes x0 back
  EXPECT_EQ(std::tuple(crop[0], crop[1], slider("sldCropX0")->value()), std::tuple(4.0f, 4.0f, 4));
  v().SetCrop({1, 2, 3, 40, 0, 1});  // a script: an end beyond the volume shows as its last voxel
  EXPECT_EQ(std::tuple(slider("sldCropX0")->value(), slider("sldCropY1")->value(), box("txtCropZ1")->value()),
            std::tuple(1, 31, 1));
  Find<QPushButton>("cmdCropReset")->click();
  EXPECT_EQ(v().View().Crop, CropBox{});

  // The plane: on at azimuth 0, elevation 0 through the centre (15.5, 15.5, 1.5): x = 15.5.
  const auto& plane = v().View().Clip.Plane;
  Find<QCheckBox>("chkClipPlane")->click();
  EXPECT_EQ(plane, (std::array<float, 4>{1, 0, 0, 15.5f}));
  box("txtClipAzimuth")->setValue(90);
  EXPECT_NEAR(plane[1], 1, 1e-6);
  slider("sldClipPosition")->setValue(3);  // 3 voxels along the normal
  EXPECT_NEAR(plane[3], 18.5, 1e-5);
  v().SetClipPlane(0, 0, 2, 5);  // z = 2.5: elevation 90, 1 voxel beyond the centre
  EXPECT_EQ(std::pair(box("txtClipElevation")->value(), slider("sldClipPosition")->value()), std::pair(90, 1));
  slider("sldClipPosition")->setValue(-1);  // keeps the normal as it was given: D = 2 * 0.5
  EXPECT_EQ(plane, (std::array<float, 4>{0, 0, 2, 1}));
  QTest::mousePress(gl_, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 100));
  QTest::mouseMove(gl_, QPoint(100, 140));  // 40 px down at 22.0 / 200 voxel per px: 4.4 voxels
  EXPECT_FALSE((gl_->grabFramebuffer(), gl_->LastFrameCoarse()));  // the slices have no coarser step
  QTest::mouseRelease(gl_, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 140));
  EXPECT_EQ(slider("sldClipPosition")->value(), 3);
  EXPECT_EQ(std::pair(v().View().XRot, v().View().YRot), std::pair(0.0f, 0.0f));
  Find<QCheckBox>("chkClipPlane")->click();
  EXPECT_FALSE(v().View().Clip.On);
}

// The attenuation shows in the attenuated mode, each channel's iso level in the iso mode.
TEST_F(ClipWindow, TheRenderRowSetsTheModeProjectionAndTheirValues) {
  auto* mode = Find<QComboBox>("cboRenderMode");
  auto* attenuation = Find<QDoubleSpinBox>("txtAttenuation");
  auto* iso = Find<QDoubleSpinBox>("txtIsoLevel1");
  std::string why;
  ASSERT_TRUE(v().SetRenderMode("attenuated", why)) << why;
  EXPECT_TRUE(mode->currentText() == "attenuated" && !attenuation->isHidden() && iso->parentWidget()->isHidden());
  attenuation->setValue(0.25);
  emit attenuation->editingFinished();
  EXPECT_FLOAT_EQ(v().View().Attenuation, 0.25f);
  emit mode->activated(mode->findText("iso"));
  EXPECT_TRUE(v().View().Mode == RenderMode::Iso && attenuation->isHidden() && !iso->parentWidget()->isHidden());
  iso->setValue(90);
  emit iso->editingFinished();
  EXPECT_EQ(v().View().IsoLevel[0], 90);
  emit Find<QComboBox>("cboProjection")->activated(1);
  EXPECT_EQ(v().View().Proj, Projection::Orthographic);
}

// While a drag, a wheel notch or a spin moves the view the ray caster draws coarse frames; a
// frame captured right after the button is let go, before any repaint, equals one drawn afresh.
TEST_F(ClipWindow, FramesDrawnWhileTheViewMovesAreCoarseButNeverTheOnesCaptured) {
  std::string why;
  ASSERT_TRUE(v().SetRenderMode("volume", why)) << why;
  QTest::mousePress(gl_, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(gl_, QPoint(130, 110));
  const QImage coarse = gl_->grabFramebuffer();  // drawn while the button is held
  EXPECT_TRUE(gl_->LastFrameCoarse());
  QTest::mouseRelease(gl_, Qt::LeftButton, {}, QPoint(130, 110));
  const CapturedFrame captured = Capture();
  EXPECT_EQ(Drawn().Pixels, captured.Pixels);
  const QImage full = gl_->grabFramebuffer();
  EXPECT_NE(full, coarse);
  // The coarse frame is the same picture, cast for a quarter of the pixels and stretched: close to
  // the full one everywhere, not a quarter of it.
  ASSERT_EQ(coarse.size(), full.size());
  double difference = 0;
  for (int y = 0; y < full.height(); ++y)
    for (int x = 0; x < full.width(); ++x) {
      const QRgb a = coarse.pixel(x, y), b = full.pixel(x, y);
      difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    }
  EXPECT_LT(difference / (3.0 * full.width() * full.height()), 4.0);
  auto full_frame_follows = [this] {
    for (int i = 0; i < 1000 && gl_->LastFrameCoarse(); ++i) QApplication::processEvents();
    return !gl_->LastFrameCoarse();
  };
  v().WheelTurned(-120);
  gl_->grabFramebuffer();
  EXPECT_TRUE(gl_->LastFrameCoarse());
  gl_->ReportMotion(ViewMotion::StepsEnded);  // what the pause after the last notch reports
  EXPECT_TRUE(full_frame_follows());
  v().SetYRotSpeed(0.5f);
  gl_->grabFramebuffer();
  EXPECT_TRUE(gl_->LastFrameCoarse());
  v().ResetSpeedParameters();
  EXPECT_TRUE(full_frame_follows());
}

}  // namespace
}  // namespace lumetrix
