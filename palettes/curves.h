#pragma once
// The three transfer curves of the palette maker (red, green, blue): polylines through 2, 3,
// 5 or 9 of nine stored points each. x is the table position 0..255; y is a screen row 0..255
// where row 0 means channel value 255.

#include <array>
#include <cstdint>
#include <vector>

namespace lumetrix::palettes {

inline constexpr int kChannels = 3;
inline constexpr int kCurvePoints = 9;

struct CurveSet {
  std::array<int32_t, kChannels> pointCount{};
  std::array<std::array<int32_t, kCurvePoints>, kChannels> pointX{};
  std::array<std::array<int32_t, kCurvePoints>, kChannels> pointY{};

  // Three points per channel, x = 0, 32, ..., 224, 255, every y 255 (value 0: a black table).
  static CurveSet Defaults();

  friend bool operator==(const CurveSet&, const CurveSet&) = default;
};

using ChannelValues = std::array<int32_t, 256>;

// Distance between active points: 8, 4, 2 or 1 for 2, 3, 5 or 9 points.
int32_t StepOf(int32_t pointCount);
// Scroll bar value 1..4 -> 2, 3, 5, 9 points.
int32_t PointCountOfScroll(int32_t scrollValue);
// The scroll bar value nearest to a count 2..9: ln(count-1)/ln 2 + 1, ties to even (4 -> 3,
// 6 -> 3, 7 and 8 -> 4).
int32_t ScrollOfPointCount(int32_t pointCount);

// Indices of the active points of channel c: 0, step, ..., 8.
std::vector<int> ActivePoints(const CurveSet& curves, int c);

// The channel values of curve c: for each pair of consecutive active points, slope and
// intercept in single precision, each entry from x_p to x_q rounded half to even, limited to
// 0..255, value = 255 - row. A later segment wins a shared entry; a segment running backwards
// writes nothing. Entries no segment covers keep their previous value.
void ComputeChannel(const CurveSet& curves, int c, ChannelValues& values);

}  // namespace lumetrix::palettes
