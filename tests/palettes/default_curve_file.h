#pragma once
// The curve file (.pl2) of the palette maker's default curves, byte for byte.

namespace lumetrix::palettes::testing {

inline constexpr const char* kDefaultCurveFile =
    "3,3,3\r\n"
    "0,32,64,96,128,160,192,224,255\r\n"
    "0,32,64,96,128,160,192,224,255\r\n"
    "0,32,64,96,128,160,192,224,255\r\n"
    "255,255,255,255,255,255,255,255,255\r\n"
    "255,255,255,255,255,255,255,255,255\r\n"
    "255,255,255,255,255,255,255,255,255\r\n";

}  // namespace lumetrix::palettes::testing
