#pragma once
// The stack the imaging benchmarks read: 512 x 512 fluorescence-like pages (beads, fibres,
// noise) so that LZW sees realistic data, written once per process and removed at its end.

#include <tiffio.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "samples/synth.h"

namespace lumetrix::bench {

inline int QuietTiffHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// TIFFOpen without messages on standard error.
inline TIFF* OpenTiffQuietly(const std::string& path, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, QuietTiffHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, QuietTiffHandler, nullptr);
  TIFF* tif = TIFFOpenExt(path.c_str(), mode, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

class FluorescenceStack {
 public:
  static constexpr int kSide = 512;

  // `depth` pages of 8 or 16 bits (12 bits of counts in 16), LZW in strips of 16 rows.
  FluorescenceStack(int depth, int bits) : depth_(depth), bits_(bits) {
    folder_ = std::filesystem::temp_directory_path() / ("lumetrix-bench-stack-" + std::to_string(::getpid()) + "-" +
                                                        std::to_string(depth) + "-" + std::to_string(bits));
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "stack.tif").string();
    using namespace lumetrix::samples;
    Random random(7);
    Volume v(kSide, kSide, depth);
    AddBeads(v, random, 1500, 75);
    AddFilaments(v, random, 25, 14, 600);
    v.Blur(1.3, 1.3, 2.5);
    const std::vector<uint16_t> counts = Expose(v, random, 170, 9, 1.5, 1.0, 4, bits == 8 ? 255 : 4095);
    TIFF* tif = OpenTiffQuietly(path_, "w");
    const size_t pixels = size_t(kSide) * kSide;
    std::vector<uint8_t> page(pixels * (bits / 8));
    for (int z = 0; z < depth; ++z) {
      for (size_t i = 0; i < pixels; ++i) {
        const uint16_t c = counts[z * pixels + i];
        if (bits == 8) page[i] = static_cast<uint8_t>(c);
        else reinterpret_cast<uint16_t*>(page.data())[i] = c;
      }
      TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kSide);
      TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kSide);
      TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
      TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
      TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
      const size_t strip = size_t(16) * kSide * (bits / 8);
      for (int s = 0; s < kSide / 16; ++s) TIFFWriteEncodedStrip(tif, s, page.data() + s * strip, tmsize_t(strip));
      TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
  }
  ~FluorescenceStack() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  FluorescenceStack(const FluorescenceStack&) = delete;
  FluorescenceStack& operator=(const FluorescenceStack&) = delete;

  const std::string& path() const { return path_; }
  int depth() const { return depth_; }
  int64_t bytes() const { return int64_t(kSide) * kSide * depth_ * (bits_ / 8); }

 private:
  int depth_, bits_;
  std::filesystem::path folder_;
  std::string path_;
};

}  // namespace lumetrix::bench
