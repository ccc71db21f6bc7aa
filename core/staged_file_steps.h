#pragma once
// The system calls of the staged writer (core/staged_file.h), in the order they happen, and a
// hook that lets a test watch them and fail any one: durability depends on the order (the data is
// synced before the rename, the folder after it), which the end result alone does not show.

#include <functional>

namespace lumetrix {

enum class StagedStep { kCreate, kWrite, kSyncData, kClose, kRename, kSyncFolder };

// Called before each step; a nonzero answer is an errno value the step then fails with, without
// running. Empty (the default) in the program. Returns the hook it replaces.
using StagedStepHook = std::function<int(StagedStep)>;
StagedStepHook SetStagedStepHook(StagedStepHook hook);

}  // namespace lumetrix
