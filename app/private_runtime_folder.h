#pragma once
// Qt looks up XDG_RUNTIME_DIR when it starts a platform; where it is not set (cron, batch
// systems, su) Qt warns on standard error and makes "runtime-USER" in the temporary folder, one
// folder for every run of that user. A command instead gets a private folder of its own, made by
// mkdtemp and removed when the program ends, also on SIGINT or SIGTERM.

#include <string>

namespace lumetrix {

class PrivateRuntimeFolder {
 public:
  PrivateRuntimeFolder();  // nothing to do when XDG_RUNTIME_DIR is set
  ~PrivateRuntimeFolder();
  PrivateRuntimeFolder(const PrivateRuntimeFolder&) = delete;
  PrivateRuntimeFolder& operator=(const PrivateRuntimeFolder&) = delete;

 private:
  std::string path_;
  int slot_ = -1;
};

}  // namespace lumetrix
