#pragma once
// Where the script editor window sits: "ScriptLeft", "ScriptTop", "ScriptWidth" and
// "ScriptHeight" of the "Settings" section, in pixels (left/top of the frame, width/height of
// the window's inside).

#include <QRect>
#include <QSize>

class QSettings;

namespace lumetrix::scripting {

struct WindowPlacement {
  int left = 3;  // about 50 x 50 twips from the corner, 6500 x 6500 twips large, at 96 dpi
  int top = 3;
  int width = 433;
  int height = 433;

  bool operator==(const WindowPlacement&) const = default;

  // Garbage or absurd values read as the defaults, each on its own.
  static WindowPlacement Load(QSettings& settings);
  void Save(QSettings& settings) const;
};

// The editor may not be smaller than 4000 x 4000 twips.
inline constexpr QSize kEditorMinimumSize{267, 267};

// Keeps the window on the screen's available area: no larger than it, not smaller than the
// minimum, and moved inside it when it lies (partly) outside.
WindowPlacement ClampToScreen(const WindowPlacement& placement, const QRect& available,
                              QSize minimum = kEditorMinimumSize);

}  // namespace lumetrix::scripting
