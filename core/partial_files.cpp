#include "core/partial_files.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

namespace lumetrix {
namespace {

// 0 free, 1 being filled or emptied, 2 a file, 3 a folder.
constexpr int kFree = 0, kBusy = 1, kFile = 2, kFolder = 3;
constexpr int kSlots = 64;

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots' states");

Slot g_slots[kSlots];

void OnInterrupt(int sig) {
  const int saved = errno;
  RemovePartialFiles();
  std::signal(sig, SIG_DFL);
  errno = saved;
  ::raise(sig);  // delivered once the handler returns: the program ends by the signal
}

}  // namespace

int RegisterPartialFile(const std::string& path, bool folder) {
  if (path.empty() || path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_slots[i].state.compare_exchange_strong(expected, kBusy)) continue;
    std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
    g_slots[i].state.store(folder ? kFolder : kFile);  // only now does the handler look at it
    return i;
  }
  return -1;
}

void UnregisterPartialFile(int slot) {
  if (slot >= 0 && slot < kSlots) g_slots[slot].state.store(kFree);
}

void RemovePartialFiles() {
  for (Slot& slot : g_slots) {
    const int state = slot.state.load();
    if (state == kFile) ::unlink(slot.path);
    if (state == kFolder) ::rmdir(slot.path);
  }
}

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the caller chose to ignore (nohup, a background job's SIGINT) stays ignored.
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &action, nullptr);
  }
}

}  // namespace lumetrix
