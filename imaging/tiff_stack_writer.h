#pragma once
// A multi-page TIFF file written page after page (the series converters): the pages go into a
// temporary file beside the destination that takes the destination's name only on Commit, so
// a failed or cancelled conversion leaves an older file of that name as it was.

#include <cstdint>
#include <memory>
#include <string>

namespace lumetrix::imaging {

class ImageBox;
namespace detail {
class TiffOutput;
}

class TiffStackWriter {
 public:
  // Throws ImageError when the temporary file cannot be made.
  explicit TiffStackWriter(const std::string& destination);
  ~TiffStackWriter();  // abandons the pages unless committed
  TiffStackWriter(const TiffStackWriter&) = delete;
  TiffStackWriter& operator=(const TiffStackWriter&) = delete;

  // The box's current image as the next page, as SaveImage writes TIFF pages. Throws
  // ImageError, also for a standard TIFF file that would grow past 4 GB.
  void AddPage(const ImageBox& box);
  // Throws ImageError when the file cannot take its name (or has no page).
  void Commit();
  int32_t Pages() const { return pages_; }

 private:
  std::unique_ptr<detail::TiffOutput> output_;
  int32_t pages_ = 0;
};

}  // namespace lumetrix::imaging
