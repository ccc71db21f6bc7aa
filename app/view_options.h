#pragma once
// The view options of --render and --movie (--mode, --crop, --clip, --ortho, --quality), read and
// checked before any file is opened, then put onto a view state.

#include <optional>
#include <string>

#include "app/command_line.h"
#include "core/view_state.h"

namespace lumetrix {

struct ViewOptions {
  std::optional<RenderMode> Mode;
  std::optional<CropBox> Crop;
  std::optional<ClipPlane> Clip;
  bool Ortho = false;
  std::optional<float> Quality;

  // The options given, onto `view`; the others leave it as it is.
  void ApplyTo(ViewState& view) const;
};

// The options of `line`; nothing, with `error` naming the option and what it takes, for a bad
// value.
std::optional<ViewOptions> ParseViewOptions(const CommandLine& line, std::string& error);

}  // namespace lumetrix
