// The window tests run in a QApplication on the offscreen platform, with Qt's test-mode paths
// so that nothing touches the user's own settings or palettes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Lumetrix"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
