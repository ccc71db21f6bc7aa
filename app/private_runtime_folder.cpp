#include "app/private_runtime_folder.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/file_helpers.h"
#include "core/partial_files.h"

namespace lumetrix {

PrivateRuntimeFolder::PrivateRuntimeFolder() {
  const char* given = std::getenv("XDG_RUNTIME_DIR");
  if (given && *given) return;
  const std::string pattern = GetTempFolder() + "lumetrix-xdg-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) return;  // Qt then warns as before; nothing else depends on it
  path_ = name.data();
  slot_ = RegisterPartialFile(path_, true);
  ::setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
}

PrivateRuntimeFolder::~PrivateRuntimeFolder() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  UnregisterPartialFile(slot_);
}

}  // namespace lumetrix
