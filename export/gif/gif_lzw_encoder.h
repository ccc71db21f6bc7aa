#pragma once
// Variable-length LZW compression of one GIF image: a 5003-slot open-addressing hash of
// (pixel, prefix code) keys, codes growing from the initial size to 12 bits, a clear code when
// the 4096 codes are used up, and the output cut into sub-blocks of 254 bytes.

#include <array>
#include <cstdint>
#include <vector>

#include "export/gif/dib.h"

namespace lumetrix::gif {

class mGIFLZWEnc {
 public:
  static constexpr int kHashSize = 5003;
  static constexpr int kMaxCodes = 4096;
  static constexpr int kBlockSize = 254;

  // Appends to `out`: the minimum code size byte, the LZW data of the 8-bit picture as
  // sub-blocks (rows 0 first, or in the four interlace passes when `interlaced` and the
  // picture is taller than 4 rows), and the block terminator. minCodeSize is clamped to 2 … 8
  // and raised when a pixel is not below 2^minCodeSize, so that no pixel reads as a control
  // code. For a picture that is not 8-bit only the size byte and the terminator are written.
  void WriteImageData(const cDIB& image, bool interlaced, int minCodeSize, std::vector<uint8_t>& out);

  // The row order the encoder reads a picture of `height` rows in.
  static std::vector<int32_t> RowOrder(int32_t height, bool interlaced);

 private:
  std::array<int32_t, kHashSize> keys_{};
  std::array<uint16_t, kHashSize> codes_{};
  std::array<uint8_t, kBlockSize> block_{};
};

}  // namespace lumetrix::gif
