#include "scripting/lock_keys.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace lumetrix::scripting {
namespace {

void Led(const std::filesystem::path& root, const std::string& name, const std::string& brightness) {
  std::filesystem::create_directories(root / name);
  if (!brightness.empty()) std::ofstream(root / name / "brightness") << brightness;
}

TEST(ReadLockKeys, AnyLitKeyboardLedCountsAndBrokenOnesAreUnknown) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  EXPECT_FALSE(ReadLockKeys((root / "missing").string()).capsLock.has_value());
  Led(root, "input3::capslock", "0\n");
  Led(root, "input7::capslock", "1\n");  // a second keyboard
  Led(root, "input3::numlock", "0\n");
  Led(root, "input3::scrolllock", "1\n");
  EXPECT_EQ(ReadLockKeys(root.string()).capsLock, true);
  EXPECT_EQ(ReadLockKeys(root.string()).numLock, false);
  const std::filesystem::path broken = root / "broken";
  Led(broken, "input1::capslock", "garbage");
  Led(broken, "input1::numlock", "");  // no brightness file
  EXPECT_FALSE(ReadLockKeys(broken.string()).capsLock.has_value());
  EXPECT_FALSE(ReadLockKeys(broken.string()).numLock.has_value());
}

}  // namespace
}  // namespace lumetrix::scripting
