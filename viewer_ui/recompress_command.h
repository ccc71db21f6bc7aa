#pragma once
// "(Re)compress AVI": asks for a movie and where to save it, then re-encodes it with the
// compression the user chooses, showing progress.

#include "core/messages.h"
#include "core/progress_sink.h"

class QWidget;

namespace lumetrix {

void RecompressAviWithDialogs(QWidget* owner, MessageSink& messages, ProgressSink& progress);

}  // namespace lumetrix
