#include "export/gif/dither_tables.h"

#include <algorithm>

#include "export/gif/round_half_even.h"

namespace lumetrix::gif {

namespace {

DitherTables Build() {
  DitherTables t{};
  static constexpr uint8_t kBayer[4][4] = {{1, 9, 3, 11}, {13, 5, 15, 7}, {4, 12, 2, 10}, {16, 8, 14, 6}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      t.bayer[y][x] = kBayer[y][x];
      t.t51[y][x] = static_cast<uint8_t>(RoundHalfEven(51.0 * kBayer[y][x] / 16.0));
    }
  for (int v = DitherTables::kQ6Min; v <= DitherTables::kQ6Max; ++v)
    t.q6[v - DitherTables::kQ6Min] =
        static_cast<uint8_t>(std::clamp(RoundHalfEven(v / 51.0), 0.0, 5.0));
  for (int v = DitherTables::kQ16Min; v <= DitherTables::kQ16Max; ++v)
    t.q16[v - DitherTables::kQ16Min] =
        static_cast<uint8_t>(std::clamp(RoundHalfEven(v / 17.0), 0.0, 15.0));
  for (int e = -DitherTables::kErrorMax; e <= DitherTables::kErrorMax; ++e) {
    const size_t i = static_cast<size_t>(e + DitherTables::kErrorMax);
    t.e7[i] = static_cast<int16_t>(RoundHalfEven(7.0 * e / 16.0));
    t.e5[i] = static_cast<int16_t>(RoundHalfEven(5.0 * e / 16.0));
    t.e3[i] = static_cast<int16_t>(RoundHalfEven(3.0 * e / 16.0));
    t.e1[i] = static_cast<int16_t>(RoundHalfEven(e / 16.0));
  }
  for (int b = 0; b < 6; ++b)
    for (int g = 0; g < 6; ++g)
      for (int r = 0; r < 6; ++r) t.cubeIndex[r + 6 * g + 36 * b] = static_cast<uint8_t>(36 * b + 6 * g + r);
  return t;
}

}  // namespace

const DitherTables& DitherTables::Get() {
  static const DitherTables tables = Build();
  return tables;
}

}  // namespace lumetrix::gif
