#pragma once
// Files being written that must not outlive an interrupted program: the staged writer registers
// its temporary file here while it writes, and the command-line commands install handlers for
// SIGINT and SIGTERM (a batch system's time limit) that remove every registered file before the
// program ends. Everything the handler touches is async-signal-safe: fixed slots, atomics, unlink.

#include <string>

namespace lumetrix {

// Registers `path` (a file to unlink, or with `folder` an empty folder to rmdir) and returns its
// slot, or -1 when every slot is taken (the file then just is not removed on a signal).
int RegisterPartialFile(const std::string& path, bool folder = false);
// The file was renamed into place or removed: a signal no longer touches it.
void UnregisterPartialFile(int slot);
// Removes every registered file now (the signal handler's work; callable for tests).
void RemovePartialFiles();
// SIGINT and SIGTERM (and SIGHUP) remove the registered files, then end the program by the same
// signal, so that its parent sees it killed by it (a shell shows 130 or 143).
void InstallInterruptCleanup();

}  // namespace lumetrix
