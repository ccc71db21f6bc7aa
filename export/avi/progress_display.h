#pragma once
// The main window's progress frame, as long passes drive it.

#include "core/progress_sink.h"

namespace lumetrix::avi {

using ProgressDisplay = lumetrix::ProgressSink;

}  // namespace lumetrix::avi
