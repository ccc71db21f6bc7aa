// Tests that need an application object and a display (run them under xvfb-run).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "viewer/gl_view.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Every test process gets settings, data and temporary folders of its own: tests run in parallel, and
  // none may see what another wrote, nor the user's own settings.
  QTemporaryDir home;
  if (!home.isValid()) return 2;
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
  qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toLocal8Bit());
  // The capture file "frame.bmp" lives in the temporary folder: one per process as well.
  QDir(home.path()).mkpath("tmp");
  qputenv("TMPDIR", (home.path() + "/tmp").toLocal8Bit());
  lumetrix::SetDefaultSurfaceFormat();
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Lumetrix");
  QApplication::setApplicationName("Lumetrix");
  return RUN_ALL_TESTS();
}
