#include "streaming/box_copy.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lumetrix::streaming {
namespace {

// The first index i of [0, count] whose clamped position min(max(origin + i, 0), size - 1) is
// at least `at` (positions only grow with i).
int32_t FirstAtLeast(int32_t origin, int32_t count, int32_t size, int64_t at) {
  if (at <= 0) return 0;
  if (at > size - 1) return count;
  return static_cast<int32_t>(std::clamp<int64_t>(at - int64_t(origin), 0, count));
}

struct Run {
  int32_t begin, end;  // box indices
};

Run RunOf(int32_t origin, int32_t count, int32_t size, int32_t piece_origin, int32_t piece_size) {
  return {FirstAtLeast(origin, count, size, piece_origin),
          FirstAtLeast(origin, count, size, int64_t(piece_origin) + piece_size)};
}

int32_t Clamp(int32_t origin, int32_t i, int32_t size) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t(origin) + i, 0, size - 1));
}

// A row's run of samples. A chunk's rows are short (32 to 256 bytes) and a border's one or two
// samples: copied in blocks of 32 bytes without a call, which costs as much as such a copy.
void CopyRun(uint8_t* to, const uint8_t* from, size_t bytes) {
  if (bytes > 1024) {
    std::memcpy(to, from, bytes);
    return;
  }
  size_t i = 0;
  for (; i + 32 <= bytes; i += 32) std::memcpy(to + i, from + i, 32);
  for (; i < bytes; ++i) to[i] = from[i];
}

template <typename T>
void Copy(const HeldPiece& p, const VoxelBox& b, const PyramidLevel& l, T* out) {
  const Run xs = RunOf(b.x0, b.w, l.width, p.x0, p.w);
  const Run ys = RunOf(b.y0, b.h, l.height, p.y0, p.h);
  const Run zs = RunOf(b.z0, b.d, l.depth, p.z0, p.d);
  if (xs.begin >= xs.end || ys.begin >= ys.end || zs.begin >= zs.end) return;
  thread_local std::vector<size_t> from;  // each box column's sample in a piece row
  from.resize(size_t(xs.end - xs.begin));
  for (int32_t i = xs.begin; i < xs.end; ++i)
    from[size_t(i - xs.begin)] = size_t(Clamp(b.x0, i, l.width) - p.x0) * p.step[0];
  // The columns inside the level whose samples lie side by side in the piece are copied whole;
  // the box's columns beyond the level's edges repeat an edge sample one by one.
  int32_t whole_begin = xs.end, whole_end = xs.end;
  if (p.step[0] == 1) {
    whole_begin = std::clamp(-b.x0, xs.begin, xs.end);
    whole_end = std::clamp(l.width - b.x0, whole_begin, xs.end);
  }
  const auto* samples = reinterpret_cast<const T*>(p.samples);
  for (int32_t k = zs.begin; k < zs.end; ++k) {
    const T* slice = samples + size_t(Clamp(b.z0, k, l.depth) - p.z0) * p.step[2];
    for (int32_t j = ys.begin; j < ys.end; ++j) {
      const T* row = slice + size_t(Clamp(b.y0, j, l.height) - p.y0) * p.step[1];
      T* dst = out + (size_t(k) * size_t(b.h) + size_t(j)) * size_t(b.w) + size_t(xs.begin);
      for (int32_t i = xs.begin; i < whole_begin; ++i) dst[i - xs.begin] = row[from[size_t(i - xs.begin)]];
      if (whole_end > whole_begin) {
        const T* run = row + from[size_t(whole_begin - xs.begin)];
        T* to = dst + (whole_begin - xs.begin);
        const size_t count = size_t(whole_end - whole_begin);
        CopyRun(reinterpret_cast<uint8_t*>(to), reinterpret_cast<const uint8_t*>(run), count * sizeof(T));
      }
      for (int32_t i = whole_end; i < xs.end; ++i) dst[i - xs.begin] = row[from[size_t(i - xs.begin)]];
    }
  }
}

}  // namespace

ClampedRange ClampedAxis(int32_t origin, int32_t count, int32_t size) {
  return {Clamp(origin, 0, size), Clamp(origin, std::max(count, 1) - 1, size)};
}

void CopyPieceIntoBox(const HeldPiece& piece, const VoxelBox& box, const PyramidLevel& level, int bytes, uint8_t* out) {
  if (bytes == 1) Copy(piece, box, level, out);
  else Copy(piece, box, level, reinterpret_cast<uint16_t*>(out));
}

}  // namespace lumetrix::streaming
