#include "core/output_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <utility>

#include "core/staged_file.h"

namespace lumetrix {
namespace {

struct Identity {
  dev_t device;
  ino_t inode;
  std::string shown;
};

std::mutex g_mutex;
std::vector<Identity> g_protected;

bool Same(const struct stat& st, const Identity& id) { return st.st_dev == id.device && st.st_ino == id.inode; }

}  // namespace

void ProtectInputs(const std::vector<std::string>& paths) {
  const std::lock_guard lock(g_mutex);
  for (const std::string& path : paths) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) g_protected.push_back({st.st_dev, st.st_ino, path});
  }
}

std::string OverwriteReason(const std::string& output, const std::vector<std::string>& inputs) {
  struct stat out {};
  if (::stat(output.c_str(), &out) != 0 || !S_ISREG(out.st_mode)) return {};  // nothing there to lose
  for (const std::string& input : inputs) {
    struct stat in {};
    if (::stat(input.c_str(), &in) == 0 && Same(out, {in.st_dev, in.st_ino, {}})) return "it is the input " + input;
  }
  {
    const std::lock_guard lock(g_mutex);
    for (const Identity& id : g_protected)
      if (Same(out, id)) return "it is the input " + id.shown;
  }
  // The staged rename would replace a read-only file (and root may write any file): the owner's
  // write permission is what says the file is meant to stay.
  if ((out.st_mode & S_IWUSR) == 0 || (::access(output.c_str(), W_OK) != 0 && errno == EACCES))
    return "it is read-only";
  return {};
}

std::string OutputProblem(const std::string& output, const std::vector<std::string>& inputs) {
  if (std::string problem = DestinationProblem(output); !problem.empty()) return problem;
  const std::string reason = OverwriteReason(output, inputs);
  return reason.empty() ? reason : "Cannot write " + output + ": " + reason;
}

std::string OutputFolderProblem(const std::string& folder) {
  if (folder.empty()) return "No output folder was given";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0)
    return "The output folder " + folder + " cannot be made: " + (ec ? ec.message() : std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return "The output folder " + folder + " is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return "The output folder " + folder + " cannot be written to: " + std::strerror(errno);
  return {};
}

}  // namespace lumetrix
