// Tests that need an application object and a display (run them under xvfb-run).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "viewer_ui/gl_view.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Every test process gets settings, data and temporary folders (with "frame.bmp") of its own:
  // tests run in parallel, and none may see what another wrote, nor the user's own settings.
  QTemporaryDir home;
  if (!home.isValid() || !QDir(home.path()).mkpath("tmp")) return 2;
  for (const char* folder : {"CONFIG", "DATA", "CACHE"})
    qputenv((std::string("XDG_") + folder + "_HOME").c_str(), (home.path() + "/" + folder).toLocal8Bit());
  qputenv("TMPDIR", (home.path() + "/tmp").toLocal8Bit());
  lumetrix::SetDefaultSurfaceFormat();
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Lumetrix");
  QApplication::setApplicationName("Lumetrix");
  return RUN_ALL_TESTS();
}
