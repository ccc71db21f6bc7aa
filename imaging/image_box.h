#pragma once
// The image-file component: one current image, read from and written to TIFF, BMP and JPEG
// files. The program's windows each hold one and drive it through these operations only.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumetrix::imaging {

// Every failure except LoadPage's is raised as an ImageError whose what() is a sentence a
// microscopist can read ("page 3 of beads.tif is truncated").
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// SaveImage formats.
enum : int32_t { kFormatBmp = 2, kFormatJpeg = 4, kFormatTiff = 18 };
// ResizeImage method: the only one the program uses (area averaging when shrinking,
// bilinear when enlarging).
enum : int32_t { kResizeSmooth = 5 };

class ImageBox {
 public:
  ImageBox();
  ~ImageBox();
  ImageBox(const ImageBox&) = delete;
  ImageBox& operator=(const ImageBox&) = delete;

  // Page `page` (0-based) of a TIFF, or page 0 of a BMP or JPEG file, becomes the current
  // image. False on any failure; LastError() then says why and the current image is empty.
  bool LoadPage(const std::string& path, int16_t page);
  std::string LastError() const;

  // Number of pages (images) of a TIFF file; 1 for BMP and JPEG. Raises ImageError when the
  // file cannot be read as an image file.
  int32_t CountPages(const std::string& path);

  int32_t ImageWidth() const;
  int32_t ImageHeight() const;
  // Bits per pixel of the current image: 8 (grey or palette), 16 (grey), 24 (colour),
  // 48 (16-bit colour); 0 when empty.
  int BitDepth() const;
  // True when the current image has one grey channel (8 or 16 bits).
  bool IsGreyImage() const;

  // bits must be 24: the current image becomes 8-bit-per-channel colour.
  void ConvertDepth(int bits);
  // The current image becomes 8-bit grey (colour by luminance).
  void MakeGrey8();

  // width x height x bytes-per-pixel bytes, rows top first, unpadded: grey images one byte per
  // pixel, colour images three bytes blue, green, red. 16-bit grey pages are scaled linearly to
  // 0..255 from the minimum..maximum of all pages of their file, so that a stack keeps one
  // brightness scale; 16-bit colour is scaled the same way per file.
  const std::vector<uint8_t>& PixelBytes() const;

  // The current image := the 24-bit buffer (blue, green, red, rows top first, unpadded).
  void SetPixels(const std::vector<uint8_t>& bgr, int32_t width, int32_t height, bool unused = false);
  // Resamples the current image to width x height.
  void ResizeImage(int16_t width, int16_t height, int32_t method = kResizeSmooth, bool unused = false);

  // Writes the current image: BMP (24-bit), JPEG (quality from SetJpegQuality) or TIFF; with
  // append a page is added to an existing TIFF file, otherwise the file is replaced.
  void SaveImage(const std::string& path, int32_t format, bool append);
  void SetJpegFlag(bool on);
  void SetJpegQuality(int16_t quality);

  // A blank (black) 24-bit image of that size.
  void NewImage(int32_t width, int32_t height, int a = 0, int b = 0, int c = 0);
  // The current image := colour from three 8-bit planes (red, green, blue), each
  // ImageWidth() x ImageHeight() bytes.
  void SetPlanes(const std::vector<uint8_t>& red, const std::vector<uint8_t>& green,
                 const std::vector<uint8_t>& blue);
  void ClearImage();
  // A short human-readable description of the current image and its file.
  std::string ImageInfo() const;

  // Kept for the callers that set them before counting pages; they change nothing.
  void SetProperty136(bool) {}
  void Call135() {}

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace lumetrix::imaging
