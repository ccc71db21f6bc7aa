// Tests that need an application object and a display (run them under xvfb-run).
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "viewer/gl_view.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QStandardPaths::setTestModeEnabled(true);
  lumetrix::SetDefaultSurfaceFormat();
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Lumetrix");
  QApplication::setApplicationName("Lumetrix");
  return RUN_ALL_TESTS();
}
