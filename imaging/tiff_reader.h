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
#include "imaging/tiff_messages.h"

namespace lumetrix::imaging::detail {

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

  struct Layout;

 private:
  bool GoTo(int32_t page);
  Layout ReadLayout(const std::string& where);
  void CheckStoredData(const Layout& layout, uint64_t blocks, const std::string& where);
  void DecodeRaw(const Layout& layout, uint8_t* raw, const std::string& where);
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
};

}  // namespace lumetrix::imaging::detail
