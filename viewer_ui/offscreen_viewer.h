#pragma once
// A viewer drawing offscreen, for commands and movies made without a window: messages go to
// standard error, nobody answers dialogs, so movies use the remembered compression and scripts
// the console for MsgBox and InputBox.

#include <cstdio>

#include "export/avi_ui/dialog_options_source.h"
#include "render/offscreen_view.h"
#include "viewer/viewer.h"

namespace lumetrix {

struct StderrMessageSink : MessageSink {
  void ShowMessage(const std::string& text, MessageIcon) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

struct OffscreenViewer {
  OffscreenView surface;
  StderrMessageSink messages;
  NullProgress progress;
  avi::RememberedOptionsSource movie_options;
  // A status line (slices shown downsampled, metadata not followed) goes to standard error too.
  Viewer viewer{surface, ViewerUi{progress, messages, movie_options, {}, {}, nullptr, [](const std::string& line) {
                                    if (!line.empty()) std::fprintf(stderr, "%s\n", line.c_str());
                                  }}};
};

}  // namespace lumetrix
