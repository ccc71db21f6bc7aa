#include "scripting/lock_keys.h"

#include <filesystem>
#include <fstream>

namespace lumetrix::scripting {

namespace {

void Merge(std::optional<bool>& state, bool lit) { state = state.value_or(false) || lit; }

}  // namespace

LockKeys ReadLockKeys(const std::string& ledsFolder) {
  LockKeys keys;
  std::error_code ec;
  std::filesystem::directory_iterator it(ledsFolder, ec);
  if (ec) return keys;
  int seen = 0;
  for (const auto& entry : it) {
    if (++seen > 256) break;  // a sane bound on a pseudo file system
    const std::string name = entry.path().filename().string();
    const bool caps = name.ends_with("::capslock");
    const bool num = name.ends_with("::numlock");
    if (!caps && !num) continue;
    std::ifstream file(entry.path() / "brightness");
    long value = 0;
    if (!(file >> value)) continue;
    Merge(caps ? keys.capsLock : keys.numLock, value > 0);
  }
  return keys;
}

}  // namespace lumetrix::scripting
