#include "app/gif_options.h"

#include "export/avi2gif/reduction_choice.h"

namespace lumetrix {

std::string ReadGifReduction(const CommandLine& line, gif::ReductionOptions& reduction) {
  if (auto name = line.Option("--palette")) {
    if (*name == "best") {
      reduction.Best = true;
    } else if (const auto mode = avi2gif::PaletteModeForName(*name)) {
      reduction.Best = false;
      reduction.PaletteMode = *mode;
    } else {
      return "--palette takes optimal, grey, web or best, not " + *name;
    }
  }
  if (auto name = line.Option("--dither")) {
    const auto mode = avi2gif::DitherModeForName(*name);
    if (!mode) return "--dither takes none, ordered or fs, not " + *name;
    reduction.DitherMode = *mode;
  }
  return "";
}

}  // namespace lumetrix
