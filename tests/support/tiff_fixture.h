#pragma once
// Test fixtures shared by the tests of every component: TIFF files of any kind the program
// reads, written with libtiff; hand-built and damaged files for the hostile-input tests; and a
// few independent readers for checking what the program wrote.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace lumetrix::test_support {

// A folder under the system temporary folder, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // path() / name as a string.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

enum class TiffSamples {
  kGrey1,         // bilevel
  kGrey4,
  kGrey8,
  kGrey16,
  kGreyInt32,     // signed 32-bit integers
  kGreyFloat32,
  kRgb8,
  kRgba8,         // unassociated alpha as the fourth sample
  kRgb16,
  kPalette8,      // index per pixel; colours from TiffLayout::palette
  kPalette4,
};

enum class TiffCompression { kNone, kLzw, kDeflate, kPackBits };

struct TiffLayout {
  int width = 16, height = 16, pages = 1;
  TiffSamples samples = TiffSamples::kGrey8;
  TiffCompression compression = TiffCompression::kNone;
  bool planar = false;          // colour samples stored as separate planes
  bool tiled = false;
  int tile_size = 16;           // a multiple of 16
  int rows_per_strip = 0;       // 0: libtiff's default (about 8 KB strips)
  bool big_tiff = false;
  bool big_endian = false;
  bool min_is_white = false;    // grey kinds: 0 is white
  bool predictor = false;       // horizontal differencing (LZW and Deflate)
  bool lsb_fill_order = false;  // FillOrder 2: bits of each byte reversed
  // Palette colours, 16 bits per channel (red, green, blue). Empty: a colour ramp
  // (entry i = i*257, 65535 - i*257, (i*97 % 256)*257).
  std::vector<std::array<uint16_t, 3>> palette;
};

// Value of channel `channel` (0 grey or red, 1 green, 2 blue, 3 alpha; the palette index for
// palette kinds) of pixel (x, y) of page `page`. Integer kinds take the value converted to
// their type (clamped to its range); floating-point kinds take it as it is.
using SampleFn = std::function<double(int page, int x, int y, int channel)>;

// Throws std::runtime_error with libtiff's reason when the file cannot be written.
void WriteTiff(const std::string& path, const TiffLayout& layout, const SampleFn& sample);

// ---- damaged and hand-built files ------------------------------------------------------

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Copies `from` to `to`, keeping only the first `size` bytes.
void CopyTruncated(const std::string& from, const std::string& to, uint64_t size);
// Overwrites bytes of an existing file at `offset`.
void PatchBytes(const std::string& path, uint64_t offset, const std::vector<uint8_t>& bytes);
// Offset of the first strip or tile of a page, found with libtiff.
uint64_t FirstDataOffset(const std::string& path, int page);

// One directory entry of a hand-built TIFF: type 3 (SHORT) or 4 (LONG) values.
struct RawTag {
  uint16_t tag;
  uint16_t type;
  std::vector<uint32_t> values;
};
// A little-endian classic TIFF: header, `data`, then one directory per page, chained. The values
// of StripOffsets (273) and TileOffsets (324) are offsets inside `data`. No pages gives a
// header whose first-directory offset is zero.
std::vector<uint8_t> BuildRawTiff(const std::vector<std::vector<RawTag>>& pages, const std::vector<uint8_t>& data);

// ---- independent readers -----------------------------------------------------------------

int CountTiffPages(const std::string& path);

struct TiffPageInfo {
  uint32_t width = 0, height = 0;
  int bits = 0, samples = 0, photometric = 0, compression = 0;
  bool planar = false, big_tiff = false;
};
TiffPageInfo ReadTiffInfo(const std::string& path, int page);

// A page as red, green, blue bytes per pixel (rows top first), decoded by libtiff's RGBA reader.
struct RgbPage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};
RgbPage ReadTiffRgb(const std::string& path, int page);

}  // namespace lumetrix::test_support
