#include "imaging/image_box.h"

#include <algorithm>
#include <stdexcept>

#include "imaging/bmp_codec.h"
#include "imaging/file_probe.h"
#include "imaging/image_data.h"
#include "imaging/jpeg_codec.h"
#include "imaging/resample.h"
#include "imaging/tiff_reader.h"
#include "imaging/tiff_writer.h"

namespace lumetrix::imaging {

using detail::Image;
using detail::PixelKind;

struct ImageBox::Impl {
  Image image;
  std::string last_error;
  // Where the current image came from, for ImageInfo.
  std::string file;
  int32_t page = 0;
  int32_t pages = 0;
  // The TIFF file read last, kept open for the next page of the same stack.
  std::unique_ptr<detail::TiffReader> tiff;
  bool jpeg_flag = false;
  int jpeg_quality = 75;

  detail::TiffReader& TiffFor(const std::string& path, const detail::FileStamp& stamp) {
    if (!tiff || tiff->path() != path || !(tiff->stamp() == stamp)) {
      tiff.reset();  // close the old file before opening the next
      tiff = std::make_unique<detail::TiffReader>(path, stamp);
    }
    return *tiff;
  }

  void ForgetFile() {
    file.clear();
    page = 0;
    pages = 0;
  }

  void RequireImage(const char* operation) const {
    if (image.empty()) throw ImageError(std::string("there is no image to ") + operation);
  }
};

ImageBox::ImageBox() : impl_(std::make_unique<Impl>()) {}
ImageBox::~ImageBox() = default;

bool ImageBox::LoadPage(const std::string& path, int16_t page) {
  Impl& d = *impl_;
  d.last_error.clear();
  try {
    // A stack being read page after page: skip re-probing an unchanged open file.
    detail::FileStamp stamp = detail::StampOf(path);
    if (d.tiff && d.tiff->path() == path && d.tiff->stamp() == stamp) {
      d.tiff->ReadPage(page, d.image);
      d.pages = d.tiff->PageCount();
    } else {
      const detail::ProbedFile probe = detail::ProbeImageFile(path);
      switch (probe.format) {
        case detail::FileFormat::kTiff: {
          detail::TiffReader& reader = d.TiffFor(path, probe.stamp);
          reader.ReadPage(page, d.image);
          d.pages = reader.PageCount();
          break;
        }
        case detail::FileFormat::kBmp:
        case detail::FileFormat::kJpeg:
          if (page != 0) {
            throw ImageError(detail::FileNameOf(path) + " has no page " + std::to_string(page + 1) +
                             " (it has 1 page)");
          }
          if (probe.format == detail::FileFormat::kBmp) {
            detail::ReadBmpFile(path, d.image);
          } else {
            detail::ReadJpegFile(path, d.image);
          }
          d.pages = 1;
          break;
        default:
          throw ImageError(detail::FileNameOf(path) + " is not a TIFF, BMP or JPEG image file");
      }
    }
    d.file = path;
    d.page = page;
    return true;
  } catch (const ImageError& e) {
    d.last_error = e.what();
  } catch (const std::bad_alloc&) {
    d.last_error = "there is not enough memory to read " + detail::FileNameOf(path);
  }
  d.image.clear();
  d.ForgetFile();
  return false;
}

std::string ImageBox::LastError() const { return impl_->last_error; }

int32_t ImageBox::CountPages(const std::string& path) {
  Impl& d = *impl_;
  const detail::ProbedFile probe = detail::ProbeImageFile(path);
  if (probe.format != detail::FileFormat::kTiff) return 1;
  return d.TiffFor(path, probe.stamp).PageCount();
}

int32_t ImageBox::ImageWidth() const { return impl_->image.width; }
int32_t ImageBox::ImageHeight() const { return impl_->image.height; }
int ImageBox::BitDepth() const { return impl_->image.bit_depth; }
bool ImageBox::IsGreyImage() const { return impl_->image.kind == PixelKind::kGrey; }

void ImageBox::ConvertDepth(int bits) {
  if (bits != 24) throw ImageError("images can only be converted to 24 bits per pixel");
  impl_->RequireImage("convert");
  detail::CheckImageSize(impl_->image.width, impl_->image.height, 3, "the image");
  detail::ToColour(impl_->image);
  impl_->image.bit_depth = 24;
}

void ImageBox::MakeGrey8() {
  impl_->RequireImage("make grey");
  detail::ToGrey(impl_->image);
}

const std::vector<uint8_t>& ImageBox::PixelBytes() const { return impl_->image.pixels; }

void ImageBox::SetPixels(const std::vector<uint8_t>& bgr, int32_t width, int32_t height, bool) {
  detail::CheckImageSize(width, height, 3, "the image");
  if (bgr.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
    throw ImageError("the pixel buffer holds " + std::to_string(bgr.size()) + " bytes, not " +
                     std::to_string(static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3) +
                     " for " + std::to_string(width) + " x " + std::to_string(height) + " colour pixels");
  }
  Image& image = impl_->image;
  image.pixels = bgr;
  image.kind = PixelKind::kColour;
  image.width = width;
  image.height = height;
  image.bit_depth = 24;
  image.source = "24-bit colour";
  impl_->ForgetFile();
}

void ImageBox::ResizeImage(int16_t width, int16_t height, int32_t method, bool) {
  if (method != kResizeSmooth) throw ImageError("unknown resampling method " + std::to_string(method));
  if (width < 1 || height < 1) {
    throw ImageError("an image cannot be resized to " + std::to_string(width) + " x " + std::to_string(height));
  }
  Impl& d = *impl_;
  d.RequireImage("resize");
  Image& image = d.image;
  if (image.kind == PixelKind::kPalette) detail::ToColour(image);  // indices do not average
  if (width == image.width && height == image.height) return;
  const int channels = image.bytes_per_pixel();
  try {
    image.pixels = ResampleBgr(image.pixels.data(), image.width, image.height, width, height, channels);
  } catch (const std::invalid_argument& e) {
    throw ImageError(e.what());
  }
  image.width = width;
  image.height = height;
}

void ImageBox::SaveImage(const std::string& path, int32_t format, bool append) {
  const Image& image = ImageToSave();
  Impl& d = *impl_;
  if (path.empty()) throw ImageError("no file name was given");
  // Our own open handle must not see the file change under it.
  if (d.tiff && d.tiff->path() == path) d.tiff.reset();
  switch (format) {
    case kFormatBmp: detail::WriteBmpFile(path, image); break;
    case kFormatJpeg: detail::WriteJpegFile(path, image, d.jpeg_flag ? d.jpeg_quality : 75); break;
    case kFormatTiff: detail::WriteTiffPage(path, image, append); break;
    default: throw ImageError("unknown image file format " + std::to_string(format));
  }
}

const Image& ImageBox::ImageToSave() const {
  impl_->RequireImage("save");
  return impl_->image;
}

void ImageBox::SetJpegFlag(bool on) { impl_->jpeg_flag = on; }
void ImageBox::SetJpegQuality(int16_t quality) { impl_->jpeg_quality = std::clamp<int>(quality, 1, 100); }

void ImageBox::NewImage(int32_t width, int32_t height, int, int, int) {
  detail::CheckImageSize(width, height, 3, "a new image");
  Image& image = impl_->image;
  image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
  image.kind = PixelKind::kColour;
  image.width = width;
  image.height = height;
  image.bit_depth = 24;
  image.source = "24-bit colour";
  impl_->ForgetFile();
}

void ImageBox::SetPlanes(const std::vector<uint8_t>& red, const std::vector<uint8_t>& green,
                         const std::vector<uint8_t>& blue) {
  Impl& d = *impl_;
  d.RequireImage("fill from colour planes");
  Image& image = d.image;
  const size_t n = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  if (red.size() != n || green.size() != n || blue.size() != n) {
    throw ImageError("each colour plane must hold " + std::to_string(n) + " bytes for a " +
                     std::to_string(image.width) + " x " + std::to_string(image.height) + " image");
  }
  image.pixels.resize(n * 3);
  for (size_t i = 0; i < n; ++i) {
    image.pixels[3 * i] = blue[i];
    image.pixels[3 * i + 1] = green[i];
    image.pixels[3 * i + 2] = red[i];
  }
  image.kind = PixelKind::kColour;
  image.bit_depth = 24;
  image.source = "24-bit colour";
}

void ImageBox::ClearImage() {
  impl_->image.clear();
  impl_->ForgetFile();
}

std::string ImageBox::ImageInfo() const {
  const Impl& d = *impl_;
  if (d.image.empty()) return "No image";
  std::string text;
  if (!d.file.empty()) {
    text = detail::FileNameOf(d.file);
    if (d.pages > 1) text += ", page " + std::to_string(d.page + 1) + " of " + std::to_string(d.pages);
    text += ": ";
  }
  text += std::to_string(d.image.width) + " x " + std::to_string(d.image.height) + " pixels, ";
  switch (d.image.kind) {
    case PixelKind::kGrey: text += d.image.bit_depth > 8 ? "grey shown as 8 bits" : "8-bit grey"; break;
    case PixelKind::kPalette: text += "8-bit palette colour"; break;
    default: text += d.image.bit_depth > 24 ? "colour shown as 8 bits per channel" : "24-bit colour"; break;
  }
  if (!d.image.source.empty() && !d.file.empty()) text += " (read from " + d.image.source + ")";
  return text;
}

}  // namespace lumetrix::imaging
