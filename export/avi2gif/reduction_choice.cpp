#include "export/avi2gif/reduction_choice.h"

#include "export/gif/dither8bpp.h"

namespace lumetrix::avi2gif {

using gif::mDither8bpp;

int PaletteModeForButton(int button) { return 2 - button; }
int PaletteButtonForMode(int mode) { return 2 - mode; }
int DitherModeForButton(int button) { return button; }
int DitherButtonForMode(int mode) { return mode; }

std::optional<int> PaletteModeForName(const std::string& name) {
  if (name == "optimal") return mDither8bpp::kOptimal;
  if (name == "grey" || name == "gray") return mDither8bpp::kGreyScale;
  if (name == "web") return mDither8bpp::kWebSafe;
  return std::nullopt;
}

std::optional<int> DitherModeForName(const std::string& name) {
  if (name == "none") return mDither8bpp::kNoDither;
  if (name == "ordered") return mDither8bpp::kOrdered;
  if (name == "fs") return mDither8bpp::kFloydSteinberg;
  return std::nullopt;
}

}  // namespace lumetrix::avi2gif
