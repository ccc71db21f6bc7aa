#include "viewer/byte_transpose.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumetrix {

void TransposeBytes(const uint8_t* const* rows, int32_t count, size_t i0, size_t i1, size_t stride, uint8_t* dst) {
  int32_t b0 = 0;
#if defined(__SSE2__)
  for (; b0 + 16 <= count; b0 += 16) {
    size_t i = i0;
    for (; i + 16 <= i1; i += 16) {
      __m128i lo[8], hi[8], quad[4][4], oct[2][8];
      for (int k = 0; k < 8; ++k) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[b0 + 2 * k] + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[b0 + 2 * k + 1] + i));
        lo[k] = _mm_unpacklo_epi8(a, b);  // pixels 0..7 of two pages
        hi[k] = _mm_unpackhi_epi8(a, b);  // pixels 8..15
      }
      for (int q = 0; q < 4; ++q) {  // four pages per pixel
        quad[q][0] = _mm_unpacklo_epi16(lo[2 * q], lo[2 * q + 1]);
        quad[q][1] = _mm_unpackhi_epi16(lo[2 * q], lo[2 * q + 1]);
        quad[q][2] = _mm_unpacklo_epi16(hi[2 * q], hi[2 * q + 1]);
        quad[q][3] = _mm_unpackhi_epi16(hi[2 * q], hi[2 * q + 1]);
      }
      for (int h = 0; h < 2; ++h)  // eight pages per pixel
        for (int m = 0; m < 4; ++m) {
          oct[h][2 * m] = _mm_unpacklo_epi32(quad[2 * h][m], quad[2 * h + 1][m]);
          oct[h][2 * m + 1] = _mm_unpackhi_epi32(quad[2 * h][m], quad[2 * h + 1][m]);
        }
      for (int k = 0; k < 8; ++k) {  // sixteen pages per pixel
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + b0 + stride * (i + 2 * k)),
                         _mm_unpacklo_epi64(oct[0][k], oct[1][k]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + b0 + stride * (i + 2 * k + 1)),
                         _mm_unpackhi_epi64(oct[0][k], oct[1][k]));
      }
    }
    for (; i < i1; ++i)
      for (int32_t b = b0; b < b0 + 16; ++b) dst[b + stride * i] = rows[b][i];
  }
#endif
  for (size_t i = i0; i < i1; ++i) {
    uint8_t* d = dst + stride * i;
    for (int32_t b = b0; b < count; ++b) d[b] = rows[b][i];
  }
}

}  // namespace lumetrix
