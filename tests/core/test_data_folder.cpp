// The data folder: LUMETRIX_DATA_DIR or the installed folder beside the program, and the error
// the window and the drawing commands stop with when it cannot be used.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "core/data_folder.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix {
namespace {

// Sets LUMETRIX_DATA_DIR (or unsets it) for one case, and puts the old value back.
class DataDirVariable {
 public:
  explicit DataDirVariable(const std::optional<std::string>& value) {
    if (const char* old = std::getenv("LUMETRIX_DATA_DIR")) old_ = old;
    if (value) setenv("LUMETRIX_DATA_DIR", value->c_str(), 1);
    else unsetenv("LUMETRIX_DATA_DIR");
  }
  ~DataDirVariable() {
    if (old_) setenv("LUMETRIX_DATA_DIR", old_->c_str(), 1);
    else unsetenv("LUMETRIX_DATA_DIR");
  }

 private:
  std::optional<std::string> old_;
};

TEST(DataFolder, TheNamedOrInstalledFolderMustBeAFolder) {
  test_support::TempDir dir;
  const std::filesystem::path bin = dir.path() / "bin", installed = dir.path() / "share" / "lumetrix";
  std::filesystem::create_directories(bin);
  std::ofstream(dir.File("file.txt")) << "not a folder";
  const std::string other = dir.File("other");
  std::filesystem::create_directory(other);
  const std::string fixNamed = "; set LUMETRIX_DATA_DIR to the folder that holds help/ and palettes/, or unset it";
  struct Case {
    std::optional<std::string> variable;
    bool installedExists;
    std::string folder, error;
  };
  const std::string missing = dir.File("missing");
  for (const Case& c : std::initializer_list<Case>{
           {std::nullopt, true, installed.string(), ""},
           {std::string(), true, installed.string(), ""},  // empty counts as unset
           {std::nullopt, false, installed.string(),
            "The data folder " + installed.string() + " (installed beside the program) does not exist; install "
            "Lumetrix again, or set LUMETRIX_DATA_DIR to the folder that holds help/ and palettes/"},
           {other, false, other, ""},  // the variable wins over the installed folder
           {missing, true, missing,
            "The data folder " + missing + " (named by LUMETRIX_DATA_DIR) does not exist" + fixNamed},
           {dir.File("file.txt"), true, dir.File("file.txt"),
            "The data folder " + dir.File("file.txt") + " (named by LUMETRIX_DATA_DIR) is not a folder" + fixNamed},
       }) {
    std::filesystem::remove_all(dir.path() / "share");
    if (c.installedExists) std::filesystem::create_directories(installed);
    DataDirVariable variable(c.variable);
    EXPECT_EQ(DataFolder(bin).string(), c.folder) << c.folder;
    EXPECT_EQ(DataFolderError(bin), c.error) << c.folder;
  }
}

}  // namespace
}  // namespace lumetrix
