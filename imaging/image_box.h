#pragma once
// The image-file component: one current image, read from and written to TIFF, BMP and JPEG
// files. The program's windows each hold one and drive it through these operations only.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumetrix::imaging {

namespace detail {
struct Image;
}
class TiffStackWriter;

// Every failure except LoadPage's is raised as an ImageError whose what() is a sentence a
// microscopist can read ("page 3 of beads.tif is truncated"). Pages are counted from 1 in
// messages, as users count slices, and from 0 in the operations.
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
  // image. False on any failure (missing file, folder, empty or foreign file, damaged or
  // truncated page, page above the 2 GB limit, no such page); LastError() then says why and
  // the current image is empty. The file is recognised by its contents, not its extension.
  // TIFF: grey 1/2/4/8/16/32-bit integer and 32/64-bit float, RGB (contiguous or planar,
  // extra samples such as alpha dropped), palette, strips or tiles, any codec libtiff decodes,
  // BigTIFF, MinIsWhite, predictors, fill order; other photometric interpretations (YCbCr,
  // CMYK, old JPEG...) go through libtiff's RGBA reader and become colour. BMP: 1/4/8-bit
  // palette (also RLE), 16/24/32-bit. JPEG: grey, colour, CMYK.
  // The TIFF file stays open for the next LoadPage of the same, unchanged file.
  bool LoadPage(const std::string& path, int16_t page);
  // Why the last LoadPage failed; empty after a success.
  std::string LastError() const;

  // Number of pages (images) of a TIFF file; 1 for BMP and JPEG. Raises ImageError when the
  // file cannot be read as an image file, and for a TIFF file that holds no pages.
  int32_t CountPages(const std::string& path);

  int32_t ImageWidth() const;
  int32_t ImageHeight() const;
  // Bits per pixel of the current image as read: 8 (grey of 1 to 8 bits, or palette of any
  // size), 16 (grey deeper than 8 bits: 16 or 32-bit integer, floating point), 24 (colour),
  // 48 (colour deeper than 8 bits per channel); 0 when empty. Whatever it says, PixelBytes
  // holds 8 bits per channel.
  int BitDepth() const;
  // True when the current image has one grey channel. A palette image whose entries are all
  // grey is reported as grey (its pixels are the palette's levels); other palette images are
  // not grey: BitDepth 8, PixelBytes their indices, ConvertDepth(24) gives their colours.
  bool IsGreyImage() const;

  // bits must be 24: the current image becomes 8-bit-per-channel colour (grey into three
  // equal channels, palette through its colours). Raises ImageError for other depths or
  // without an image.
  void ConvertDepth(int bits);
  // The current image becomes 8-bit grey: colour by luminance (0.299 R + 0.587 G + 0.114 B,
  // equal channels stay exact), palette through its colours' luminance.
  void MakeGrey8();

  // width x height x bytes-per-pixel bytes, rows top first, unpadded: grey and palette images
  // one byte per pixel (palette: the index), colour images three bytes blue, green, red; empty
  // when there is no image. Samples deeper than 8 bits (16/32-bit, float; MinIsWhite inverted
  // first) are scaled linearly to 0..255 from the minimum..maximum over all deep pages of
  // their file, so a stack keeps one brightness scale; a constant file maps to 0. The range is
  // computed once per file (a first load reads every page) and cached by path, size and
  // modification time. 1 to 4-bit grey is stretched to 0..255 by its depth. The reference
  // stays valid until the current image next changes.
  const std::vector<uint8_t>& PixelBytes() const;

  // The current image := the 24-bit buffer (blue, green, red, rows top first, unpadded).
  // Raises ImageError unless bgr holds exactly width x height x 3 bytes.
  void SetPixels(const std::vector<uint8_t>& bgr, int32_t width, int32_t height, bool unused = false);
  // Resamples the current image to width x height (each at least 1) with ResampleBgr
  // (imaging/resample.h); grey stays grey, palette images become colour first. Only
  // kResizeSmooth is known; other methods raise ImageError.
  void ResizeImage(int16_t width, int16_t height, int32_t method = kResizeSmooth, bool unused = false);

  // Writes the current image: BMP (24-bit, bottom-up, 54-byte headers, rows padded to 4
  // bytes, also for grey images), JPEG (grey images as grey JPEG) or TIFF (8-bit grey when the
  // image is grey, otherwise 24-bit RGB; LZW). Every file is written under a temporary name
  // and renamed (core/staged_file.h), so a failure leaves the old file, also when appending.
  // With append (TIFF only) a page is added to the end of a copy of an existing TIFF file (a
  // missing or empty file is started; TiffStackWriter writes many pages without copies); a
  // standard TIFF that would grow past 4 GB is refused with a message (BigTIFF files grow on).
  // Raises ImageError on any failure.
  void SaveImage(const std::string& path, int32_t format, bool append);
  // On: JPEG files are written with the SetJpegQuality quality; off: with quality 75.
  void SetJpegFlag(bool on);
  // 1..100 (clamped).
  void SetJpegQuality(int16_t quality);

  // A blank (black) 24-bit image of that size; the other arguments are ignored.
  void NewImage(int32_t width, int32_t height, int a = 0, int b = 0, int c = 0);
  // The current image := colour from three 8-bit planes (red, green, blue), each
  // ImageWidth() x ImageHeight() bytes; raises ImageError on other sizes or without an image.
  void SetPlanes(const std::vector<uint8_t>& red, const std::vector<uint8_t>& green,
                 const std::vector<uint8_t>& blue);
  void ClearImage();
  // A short human-readable description of the current image and its file, e.g.
  // "beads16.tif, page 3 of 32: 128 x 128 pixels, grey shown as 8 bits (read from 16-bit
  // grey, uncompressed; levels 293..4095 of the file shown as 0..255)"; "No image" when empty.
  std::string ImageInfo() const;

  // Kept for the callers that set them before counting pages; they change nothing.
  void SetProperty136(bool) {}
  void Call135() {}

 private:
  friend class TiffStackWriter;
  // The current image for writing; raises ImageError without one.
  const detail::Image& ImageToSave() const;

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace lumetrix::imaging
