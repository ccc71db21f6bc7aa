#pragma once
// Reads the pages of one TIFF file. The file stays open between pages so that reading a
// stack page after page does not walk the directory chain from the start every time.

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/file_probe.h"
#include "imaging/image_data.h"
#include "imaging/imagej_metadata.h"
#include "imaging/page_shape.h"
#include "imaging/tiff_messages.h"

namespace lumetrix::imaging::detail {

// One directory of a file's chain: where it is, its size, and its pyramid levels (SubIFDs).
struct ChainPage {
  uint64_t directory = 0;
  uint32_t width = 0, height = 0;
  int channels = 1;      // 3 for RGB and palette pages
  bool reduced = false;  // NewSubfileType says reduced resolution
  std::vector<uint64_t> sub_ifds;  // at most kMaxSubIfds
};
inline constexpr size_t kMaxSubIfds = 16;

// The blocks (strips or tiles) a page is stored in: `across` x `down` of block_width x
// block_height pixels (strips span the page's width; the last ones may reach beyond the page).
struct PageBlocks {
  uint32_t block_width = 0, block_height = 0, across = 1, down = 1;
};

class TiffReader {
 public:
  // Throws ImageError when the file cannot be opened as a TIFF file or holds no pages.
  TiffReader(const std::string& path, const FileStamp& stamp);
  ~TiffReader();
  TiffReader(const TiffReader&) = delete;
  TiffReader& operator=(const TiffReader&) = delete;

  const std::string& path() const { return path_; }
  const FileStamp& stamp() const { return stamp_; }

  int32_t PageCount();
  // Page `page` (0-based) becomes `out`. Throws ImageError; `out` is then unspecified.
  void ReadPage(int32_t page, Image& out);

  // The pages of the file that are not reduced-resolution copies (NewSubfileType bit 0),
  // by the offset of their directory; SubIFDs are not part of the chain and are never seen.
  // Throws ImageError when the chain is damaged or holds no such page.
  std::vector<uint64_t> FullResolutionPages();

  // Every directory of the chain, reduced-resolution ones included (imaging/tiff_chain.cpp).
  // Throws ImageError when the chain is damaged.
  std::vector<ChainPage> Chain();

  // The shape of the page whose directory is at `directory` (imaging/page_shape.h); with
  // `samples_as_channels` each sample of a pixel is a channel of its own (Zeiss LSM files).
  PageShape ShapeAt(uint64_t directory, const std::string& where, bool samples_as_channels = false);
  // Decodes the page whose directory is at `directory` into one plane per channel (width x
  // height samples of shape.bits, rows top first). With `data_offset` set, the samples are read
  // from there instead (ImageJ's stacks over 4 GB keep pages after the first without a
  // directory). Throws ImageError when the page differs from `shape` or cannot be decoded.
  void DecodeAt(uint64_t directory, const PageShape& shape, void* const* planes, const std::string& where,
                uint64_t data_offset = 0);

  // The blocks of the page at `directory`; pages of a kind decoded whole (palette, colour through
  // libtiff's RGBA reader) are one block of the whole page. Throws ImageError.
  PageBlocks BlocksAt(uint64_t directory, const PageShape& shape, const std::string& where);
  // Decodes block (bx, by) of the page at `directory` the way DecodeAt decodes the page: one plane
  // per channel of block_width x block_height samples of shape.bits (strips: as many rows as the
  // strip holds). Only that block is read. Throws ImageError.
  void DecodeBlockAt(uint64_t directory, const PageShape& shape, uint32_t bx, uint32_t by, void* const* planes,
                     const std::string& where);

  struct Layout;

 private:
  const Layout& BlockLayout(uint64_t directory, const PageShape& shape, const std::string& where);
  void CheckAgainst(const Layout& layout, const PageShape& shape, const std::string& where) const;
  // Decoded samples (a page or a block, as `layout` says) into channel planes.
  void ToPlanes(const Layout& layout, const uint8_t* raw, int channels, int bits, void* const* planes) const;
  // "... is truncated" or "... is damaged: `what`" with libtiff's reason.
  std::string DecodeFailure(const std::string& where, const char* what) const;
  bool GoTo(int32_t page);
  Layout ReadLayout(const std::string& where, bool samples_as_channels = false);
  void CheckDeclaredSize(const Layout& layout, const std::string& where) const;
  void CheckStoredData(const Layout& layout, uint64_t blocks, const std::string& where);
  void DecodeRaw(const Layout& layout, uint8_t* raw, const std::string& where);
  void ReadCurrent(const Layout& layout, Image& out, const std::string& where);
  void SetDirectoryAt(uint64_t directory, const std::string& where);
  void ReadRgba(const Layout& layout, Image& out, const std::string& where);
  // Minimum and maximum over every page deeper than 8 bits (cached per file).
  std::pair<double, double> DeepRange(const std::string& where);

  std::string path_;
  std::string name_;
  FileStamp stamp_;
  std::unique_ptr<TiffMessages> messages_;
  TiffHandle tif_;
  int32_t current_ = -1;
  int32_t page_count_ = -1;
  std::vector<uint64_t> offsets_;
  std::vector<uint8_t> scratch_;
  std::unique_ptr<Layout> block_layout_;  // of block_directory_, for the blocks read one by one
  uint64_t block_directory_ = 0;
};

}  // namespace lumetrix::imaging::detail
