#include "scripting/lock_keys.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace lumetrix::scripting {
namespace {

void Led(const std::filesystem::path& root, const std::string& name, const std::string& brightness) {
  std::filesystem::create_directories(root / name);
  std::ofstream(root / name / "brightness") << brightness;
}

TEST(ReadLockKeys, FromTheKeyboardLeds) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  Led(root, "input3::capslock", "0\n");
  Led(root, "input7::capslock", "1\n");  // a second keyboard: any lit LED counts
  Led(root, "input3::numlock", "0\n");
  Led(root, "input3::scrolllock", "1\n");
  const LockKeys keys = ReadLockKeys(root.string());
  EXPECT_EQ(keys.capsLock, true);
  EXPECT_EQ(keys.numLock, false);
}

TEST(ReadLockKeys, UnknownWithoutLedsOrWithBrokenFiles) {
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  EXPECT_FALSE(ReadLockKeys((root / "missing").string()).capsLock.has_value());
  Led(root, "input1::capslock", "garbage");
  std::filesystem::create_directories(root / "input1::numlock");  // no brightness file
  const LockKeys keys = ReadLockKeys(root.string());
  EXPECT_FALSE(keys.capsLock.has_value());
  EXPECT_FALSE(keys.numLock.has_value());
}

}  // namespace
}  // namespace lumetrix::scripting
