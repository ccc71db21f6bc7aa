// Opening a volume in the main window: Cancel at every stage keeps the volume shown with its
// picture and input, the memory of a replaced volume goes back, and the status bar tells the
// file, the render mode and the last message.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <fstream>

#include "tests/viewer/viewer_fixture.h"
#include "core/resident_memory.h"
#include "viewer_ui/frm_3d.h"
#include "viewer_ui/gl_view.h"

namespace lumetrix {
namespace {

using test_support::TempDir;
namespace fs = std::filesystem;

void Settle() {
  for (int i = 0; i < 50; ++i) QApplication::processEvents();
}

// Clicks the progress box's Cancel whenever the box shows `stage`: the box lets the event queue
// run before every page and slice, so the stage, not a clock, decides when.
class CancelAt {
 public:
  CancelAt(frm3D& w, const QString& stage) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [&w, stage, this] {
      auto* box = w.findChild<QGroupBox*>("frmProgress");
      auto* cancel = w.findChild<QPushButton*>("cmdCancelProgress");
      if (box->isVisible() && box->title() == stage && cancel->isVisible()) cancel->click(), clicked_ = true;
    });
    timer_.start();
  }
  bool Clicked() const { return clicked_; }

 private:
  QTimer timer_;
  bool clicked_ = false;
};

std::string Pane(frm3D& w, const char* name) { return w.findChild<QLabel*>(name)->text().toStdString(); }

TEST(Opening, CancelAtEveryStageKeepsTheVolumeShownWithItsPictureAndInput) {
  TempDir dir;
  const std::string shown = testing::Stack(dir, "shown.tif", 8, 48, 40);
  const std::string next = testing::Stack(dir, "next.tif", 40, 64, 64);
  frm3D w;
  w.show();
  ASSERT_TRUE(w.OpenAtStart(shown));
  auto* gl = w.findChild<GlView*>();
  Viewer& v = w.TheViewer();
  const struct {
    const char* mode;
    const char* stage;
  } stages[] = {{"additive", "Reading Image"},
                {"additive", "XY Textures"},
                {"additive", "YZ Textures"},
                {"additive", "XZ Textures"},
                {"volume", "Building the volume textures"}};
  for (const auto& s : stages) {
    SCOPED_TRACE(s.stage);
    std::string why;
    ASSERT_TRUE(v.SetRenderMode(s.mode, why)) << why;
    Settle();
    const QImage before = gl->grabFramebuffer();
    {
      CancelAt cancel(w, s.stage);
      EXPECT_FALSE(v.OpenAndRun(next));
      EXPECT_TRUE(cancel.Clicked());
    }
    Settle();
    EXPECT_TRUE(v.VolumeShown() && v.LastFile() == shown && v.Volume().Depth == 8);
    EXPECT_TRUE(w.windowTitle().endsWith(" - shown.tif")) << w.windowTitle().toStdString();
    EXPECT_EQ(Pane(w, "lblStatusMessage"), "Opening next.tif cancelled");
    EXPECT_EQ(Pane(w, "lblStatusVolume"), "48 x 40 x 8, grey, 8-bit, no voxel size");
    const QImage after = gl->grabFramebuffer();
    EXPECT_EQ(after, before);
    // Input stays live: a drag turns the volume shown, and the picture follows.
    const float y_rot = v.View().YRot;
    QTest::mousePress(gl, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(gl, QPoint(130, 100));
    QTest::mouseRelease(gl, Qt::LeftButton, {}, QPoint(130, 100));
    EXPECT_EQ(v.View().YRot, y_rot + 30);
    EXPECT_NE(gl->grabFramebuffer(), after);
  }
  EXPECT_TRUE(v.OpenAndRun(next));  // not cancelled: it opens
  EXPECT_EQ(Pane(w, "lblStatusVolume"), "64 x 64 x 40, grey, 8-bit, no voxel size");
  EXPECT_EQ(Pane(w, "lblStatusMode"), "Mode: volume");
}

// A 512 x 512 x 200 grey volume (50 MB of samples, more in textures) replaced by a 64 x 64 x 20
// one leaves the process about as large as opening the small one did.
TEST(Opening, AReplacedLargeVolumeGivesItsMemoryBack) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer keeps freed memory in its quarantine: resident memory tells nothing here";
#endif
  TempDir dir;
  const std::string small = testing::Stack(dir, "small.tif", 20, 64, 64);
  const std::string small_again = dir.File("small_again.tif");
  std::filesystem::copy_file(small, small_again);
  const std::string large = testing::Stack(dir, "large.tif", 200, 512, 512);
  frm3D w;
  w.show();
  ASSERT_TRUE(w.OpenAtStart(small));
  Settle();
  const long with_small = ResidentKilobytes();
  ASSERT_TRUE(w.TheViewer().OpenAndRun(large));
  Settle();
  const long with_large = ResidentKilobytes();
  EXPECT_GT(with_large, with_small + 50 * 1024);  // the samples alone: 512 * 512 * 200 bytes
  ASSERT_TRUE(w.TheViewer().OpenAndRun(small_again));
  Settle();
  // Half the large volume's samples: keeping them, or its slice textures (more still), would
  // exceed it; the allocator's and the driver's caches and the second file's own pages stay below.
  EXPECT_LT(ResidentKilobytes(), with_small + 25 * 1024);
}

// The status bar is there from the start, a line of text high, and a saved picture says so.
TEST(StatusBar, IsReadableFromTheStartAndTellsASavedPicture) {
  TempDir dir;
  frm3D w;
  w.show();
  Settle();
  auto* bar = w.findChild<QStatusBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_GE(bar->height(), bar->fontMetrics().height());
  ASSERT_TRUE(w.OpenAtStart(testing::Stack(dir, "v.tif", 4, 32, 24)));
  EXPECT_EQ(Pane(w, "lblStatusVolume"), "32 x 24 x 4, grey, 8-bit, no voxel size");
  EXPECT_EQ(Pane(w, "lblStatusMode"), "Mode: additive");
  const std::string picture = dir.File("picture.bmp");
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(picture));
    QMetaObject::invokeMethod(dialog, "accept");  // as the Save button does
  });
  w.findChild<QAction*>("MnuFileSaveBMP")->trigger();
  EXPECT_TRUE(std::filesystem::exists(picture));
  EXPECT_EQ(Pane(w, "lblStatusMessage"), "Saved " + picture);
}

// An OME-Zarr folder (written by python3-zarr) opens by picking its .zattrs in File > Open Image,
// by entering it there, and by dropping it; each time the folder is what was opened.
TEST(OpeningZarr, FromTheDialogAndByDropping) {
  if (std::system("/usr/bin/python3 -c 'import zarr' 2>/dev/null") != 0) GTEST_SKIP() << "python3-zarr is not installed";
  TempDir dir;
  std::string folders[2];
  for (int i = 0; i < 2; ++i) {
    fs::create_directories(dir.path() / std::to_string(i));
    folders[i] = (dir.path() / std::to_string(i) / "h.zarr").string();
    const std::string command = "/usr/bin/python3 " LUMETRIX_SOURCE_DIR "/tests/viewer/zarr/write_ome_zarr.py " + folders[i] +
                                " '{\"dtype\":\"u1\",\"axes\":\"zyx\",\"shape\":[" + std::to_string(3 + i) + ",8,9],\"chunks\":[2,4,4]}'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  frm3D w;
  w.show();
  Settle();
  const auto choose = [&](const std::function<void(QFileDialog*)>& act) {
    QTimer::singleShot(0, [&] { act(qobject_cast<QFileDialog*>(QApplication::activeModalWidget())); });
    w.findChild<QAction*>("mnuFileOpen")->trigger();
    Settle();
  };
  choose([&](QFileDialog* d) {
    d->selectFile(QString::fromStdString(folders[0] + "/.zattrs"));
    QMetaObject::invokeMethod(d, "accept");
  });
  EXPECT_EQ(std::pair(w.TheViewer().LastFile(), w.TheViewer().Volume().Depth), std::pair(folders[0], 3));
  choose([&](QFileDialog* d) { d->setDirectory(QString::fromStdString(folders[1])); });
  EXPECT_EQ(std::pair(w.TheViewer().LastFile(), w.TheViewer().Volume().Depth), std::pair(folders[1], 4));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(folders[0]))});
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&w, &enter);
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&w, &drop);
  EXPECT_EQ(w.TheViewer().LastFile(), folders[0]);
}

}  // namespace
}  // namespace lumetrix
