#pragma once
// A multi-page TIFF file written page after page (the series converters): the pages go into a
// temporary file beside the destination that takes the destination's name only on Commit, so
// a failed or cancelled conversion leaves an older file of that name as it was. Pages are
// compressed on worker threads and written in the order they were added.

#include <cstdint>
#include <memory>
#include <string>

namespace lumetrix::imaging {

class ImageBox;
namespace detail {
class TiffOutput;
class PageEncoderPool;
}

class TiffStackWriter {
 public:
  // Throws ImageError when the temporary file cannot be made.
  explicit TiffStackWriter(const std::string& destination);
  ~TiffStackWriter();  // abandons the pages unless committed
  TiffStackWriter(const TiffStackWriter&) = delete;
  TiffStackWriter& operator=(const TiffStackWriter&) = delete;

  // The box's current image as the next page, as SaveImage writes TIFF pages. Throws
  // ImageError, also for a standard TIFF file that would grow past 4 GB (here or, for a page
  // still being compressed, from a later call).
  void AddPage(const ImageBox& box);
  // Throws ImageError when the file cannot take its name (or has no page).
  void Commit();
  int32_t Pages() const { return pages_; }

 private:
  void WriteReadyPages(size_t keep_pending);

  std::unique_ptr<detail::TiffOutput> output_;
  std::unique_ptr<detail::PageEncoderPool> pool_;
  int32_t pages_ = 0;
};

}  // namespace lumetrix::imaging
