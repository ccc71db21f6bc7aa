#pragma once
// The palette and dither choices of the converter: the window's option buttons, the command
// line's words and the modes of the colour reduction, mapped onto each other.

#include <optional>
#include <string>

namespace lumetrix::avi2gif {

// Option buttons of the palette group: 0 "GrayScale", 1 "Optimal", 2 "Web Safe". Button k
// selects palette mode 2 - k (0 web-safe cube, 1 optimal, 2 grey scale).
int PaletteModeForButton(int button);
int PaletteButtonForMode(int mode);
// Option buttons of the dither group: 0 "None", 1 "Ordered", 2 "Floyd Steinberg"; button k
// selects dither mode k.
int DitherModeForButton(int button);
int DitherButtonForMode(int mode);

// "optimal", "grey" (also "gray"), "web"; nothing for other words.
std::optional<int> PaletteModeForName(const std::string& name);
// "none", "ordered", "fs"; nothing for other words.
std::optional<int> DitherModeForName(const std::string& name);

}  // namespace lumetrix::avi2gif
