#include "imaging/zarr/zarr_samples.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace lumetrix::imaging {
namespace {

template <typename T>
T Load(const uint8_t* p, bool swap) {
  T v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (sizeof(T) == 2) {
    if (swap) v = static_cast<T>(__builtin_bswap16(static_cast<uint16_t>(v)));
  } else if constexpr (sizeof(T) == 4) {
    if (swap) v = std::bit_cast<T>(__builtin_bswap32(std::bit_cast<uint32_t>(v)));
  }
  return v;
}

// Every run along the last axis of the box, converted sample by sample.
template <typename Out, typename Convert>
void Scatter(const uint8_t* chunk, int item, const SampleBox& b, Out* out, Convert convert, bool plain) {
  const int last = b.axes - 1;
  size_t from[5];  // samples per step in the chunk
  from[last] = 1;
  for (int a = last - 1; a >= 0; --a) from[a] = from[a + 1] * size_t(b.chunk[a + 1]);
  size_t base = 0;
  for (int a = 0; a < b.axes; ++a) base += size_t(b.origin[a]) * b.step[a];
  const auto run = size_t(b.extent[last]);
  const size_t stride = b.step[last];
  int64_t at[5] = {};
  while (true) {
    size_t s = 0, d = base;
    for (int a = 0; a < last; ++a) {
      s += size_t(at[a]) * from[a];
      d += size_t(at[a]) * b.step[a];
    }
    const uint8_t* src = chunk + s * size_t(item);
    Out* dst = out + d;
    if (plain && stride == 1) {
      std::memcpy(dst, src, run * sizeof(Out));
    } else {
      for (size_t i = 0; i < run; ++i) dst[i * stride] = convert(src + i * size_t(item));
    }
    int a = last - 1;
    for (; a >= 0; --a) {
      if (++at[a] < b.extent[a]) break;
      at[a] = 0;
    }
    if (a < 0) break;
  }
}

}  // namespace

bool HeldAsStored(const ZarrArrayMeta& array) {
  const bool swap = array.big_endian != (std::endian::native == std::endian::big);
  return array.type == ZarrType::kUint8 || ((array.type == ZarrType::kUint16 || array.type == ZarrType::kFloat32) && !swap);
}

void ScatterSamples(const ZarrArrayMeta& array, const uint8_t* chunk, const SampleBox& box, void* out) {
  const bool swap = array.big_endian != (std::endian::native == std::endian::big);
  const bool plain = HeldAsStored(array);
  switch (array.type) {
    case ZarrType::kUint8:
      Scatter(chunk, 1, box, static_cast<uint8_t*>(out), [](const uint8_t* p) { return *p; }, plain);
      break;
    case ZarrType::kUint16:
      Scatter(chunk, 2, box, static_cast<uint16_t*>(out), [swap](const uint8_t* p) { return Load<uint16_t>(p, swap); },
              plain);
      break;
    case ZarrType::kInt16:
      Scatter(chunk, 2, box, static_cast<uint16_t*>(out),
              [swap](const uint8_t* p) { return static_cast<uint16_t>(Load<int16_t>(p, swap) + 32768); }, false);
      break;
    case ZarrType::kFloat32:
      Scatter(chunk, 4, box, static_cast<float*>(out), [swap](const uint8_t* p) { return Load<float>(p, swap); }, plain);
      break;
  }
}

std::vector<uint8_t> FillChunk(const ZarrArrayMeta& array) {
  std::vector<uint8_t> chunk(array.ChunkBytes());
  uint8_t one[4] = {};
  switch (array.type) {
    case ZarrType::kUint8: one[0] = static_cast<uint8_t>(array.fill); break;
    case ZarrType::kUint16: {
      const auto v = static_cast<uint16_t>(array.fill);
      std::memcpy(one, &v, 2);
      break;
    }
    case ZarrType::kInt16: {
      const auto v = static_cast<int16_t>(array.fill);
      std::memcpy(one, &v, 2);
      break;
    }
    case ZarrType::kFloat32: {
      const auto v = static_cast<float>(array.fill);
      std::memcpy(one, &v, 4);
      break;
    }
  }
  // In the file's byte order, as the chunk files hold their samples.
  if (array.big_endian != (std::endian::native == std::endian::big)) std::reverse(one, one + array.item_bytes);
  for (size_t i = 0; i < chunk.size(); i += size_t(array.item_bytes)) std::memcpy(&chunk[i], one, size_t(array.item_bytes));
  return chunk;
}

std::pair<uint16_t, uint16_t> PlaneRange(const uint16_t* samples, size_t count) {
  uint16_t lo = 65535, hi = 0;
  for (size_t i = 0; i < count; ++i) {
    lo = std::min(lo, samples[i]);
    hi = std::max(hi, samples[i]);
  }
  return {lo, hi};
}

}  // namespace lumetrix::imaging
