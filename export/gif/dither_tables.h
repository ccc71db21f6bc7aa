#pragma once
// The lookup tables of the colour reduction, built once and shared.

#include <array>
#include <cstddef>
#include <cstdint>

namespace lumetrix::gif {

struct DitherTables {
  // Ranges of the quantiser inputs. The ordered map mode reaches c + 8 - 16 = -8, one below
  // the -7 a 17-wide cell would suggest, so Q16 starts at -8.
  static constexpr int kQ6Min = -51, kQ6Max = 280;
  static constexpr int kQ16Min = -8, kQ16Max = 262;
  static constexpr int kErrorMax = 255;

  std::array<std::array<uint8_t, 4>, 4> bayer;  // B, by [y mod 4][x mod 4], values 1 … 16
  std::array<std::array<uint8_t, 4>, 4> t51;    // round(51 B / 16)
  std::array<uint8_t, kQ6Max - kQ6Min + 1> q6;     // clamp(round(v / 51), 0, 5)
  std::array<uint8_t, kQ16Max - kQ16Min + 1> q16;  // clamp(round(v / 17), 0, 15)
  // round(k e / 16) for e = -255 … 255, k = 7, 5, 3, 1.
  std::array<int16_t, 2 * kErrorMax + 1> e7, e5, e3, e1;
  // 36 b6 + 6 g6 + r6, by [r6 + 6 g6 + 36 b6] (it is the identity; kept as the cube's table).
  std::array<uint8_t, 216> cubeIndex;

  uint8_t Q6(int v) const { return q6[static_cast<std::size_t>(v - kQ6Min)]; }
  uint8_t Q16(int v) const { return q16[static_cast<std::size_t>(v - kQ16Min)]; }
  int E7(int e) const { return e7[static_cast<std::size_t>(e + kErrorMax)]; }
  int E5(int e) const { return e5[static_cast<std::size_t>(e + kErrorMax)]; }
  int E3(int e) const { return e3[static_cast<std::size_t>(e + kErrorMax)]; }
  int E1(int e) const { return e1[static_cast<std::size_t>(e + kErrorMax)]; }
  uint8_t CubeIndex(int r6, int g6, int b6) const {
    return cubeIndex[static_cast<std::size_t>(r6 + 6 * g6 + 36 * b6)];
  }

  static const DitherTables& Get();
};

}  // namespace lumetrix::gif
