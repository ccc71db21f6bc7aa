#include "bench/support/temp_folders.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace lumetrix::bench {

std::filesystem::path KeptFolder(const std::string& name) {
  // In the user's own cache folder: a fixed name in the shared temporary folder would belong to
  // whichever user ran the benchmarks first.
  std::filesystem::path cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg)
    cache = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    cache = std::filesystem::path(home) / ".cache";
  else
    throw std::runtime_error("neither XDG_CACHE_HOME nor HOME is set for the benchmarks' kept files");
  const auto folder = cache / "lumetrix-bench" / name;
  std::filesystem::create_directories(folder);
  std::filesystem::permissions(folder.parent_path(), std::filesystem::perms::owner_all);
  return folder;
}

ScratchFolder::ScratchFolder(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace lumetrix::bench
