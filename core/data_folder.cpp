#include "core/data_folder.h"

#include <cstdlib>
#include <system_error>

namespace lumetrix {

std::filesystem::path DataFolder(const std::filesystem::path& programFolder) {
  std::error_code ec;
  if (const char* env = std::getenv("LUMETRIX_DATA_DIR"); env && *env && std::filesystem::is_directory(env, ec))
    return std::filesystem::absolute(env, ec).lexically_normal();
  return (programFolder / ".." / "share" / "lumetrix").lexically_normal();
}

}  // namespace lumetrix
