#include "imaging/tiff_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "imaging/file_probe.h"
#include "imaging/image_box.h"
#include "imaging/tiff_messages.h"

namespace lumetrix::imaging::detail {

namespace {

constexpr uint64_t kClassicLimit = 0xFFFFFFFFull;

// Worst case on disk for one page: LZW can grow incompressible data a little.
uint64_t PageBudget(const Image& image) {
  const uint64_t raw = uint64_t(image.width) * uint64_t(image.height) * (image.kind == PixelKind::kGrey ? 1 : 3);
  return raw + raw / 2 + (uint64_t{1} << 20);
}

[[noreturn]] void RefuseGrowth(const std::string& path) {
  throw ImageError("cannot add a page to " + FileNameOf(path) +
                   ": a standard TIFF file cannot grow beyond 4 GB; start a new file");
}

bool WritePage(TIFF* tif, const Image& image) {
  const bool grey = image.kind == PixelKind::kGrey;
  const uint32_t w = static_cast<uint32_t>(image.width);
  const uint32_t h = static_cast<uint32_t>(image.height);
  const size_t row_bytes = size_t{w} * (grey ? 1 : 3);
  const uint32_t rows_per_strip = static_cast<uint32_t>(std::clamp<size_t>((64 * 1024) / row_bytes, 1, h));
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, grey ? 1 : 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows_per_strip);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_SOFTWARE, "Lumetrix");
  std::vector<uint8_t> strip(row_bytes * rows_per_strip);
  for (uint32_t row0 = 0, s = 0; row0 < h; row0 += rows_per_strip, ++s) {
    const uint32_t rows = std::min(rows_per_strip, h - row0);
    const uint8_t* src = image.pixels.data() + size_t{row0} * row_bytes;
    const size_t bytes = size_t{rows} * row_bytes;
    if (grey) {
      std::memcpy(strip.data(), src, bytes);
    } else {
      for (size_t i = 0; i < bytes; i += 3) {
        strip[i] = src[i + 2];
        strip[i + 1] = src[i + 1];
        strip[i + 2] = src[i];
      }
    }
    if (TIFFWriteEncodedStrip(tif, s, strip.data(), static_cast<tmsize_t>(bytes)) < 0) return false;
  }
  return TIFFWriteDirectory(tif) != 0;
}

}  // namespace

TiffOutput::TiffOutput(const std::string& target, bool append) : target_(target), staged_(target), append_(append) {
  if (!staged_.Ok() || (append && !staged_.CopyFrom(target))) {
    throw ImageError("cannot write " + target + ": " + staged_.Reason());
  }
}

TiffOutput::~TiffOutput() = default;

void TiffOutput::Fail() const {
  // libtiff names the temporary file; the user knows only the target.
  std::string reason = messages_.Reason();
  const std::string& temporary = staged_.TemporaryPath();
  for (size_t at = reason.find(temporary); at != std::string::npos; at = reason.find(temporary, at + target_.size()))
    reason.replace(at, temporary.size(), target_);
  throw ImageError("cannot write " + target_ + reason);
}

void TiffOutput::Add(const Image& source) {
  Image colour;
  const Image* image = &source;
  if (source.kind == PixelKind::kPalette) {
    colour = source;
    ToColour(colour);
    image = &colour;
  }
  if (!tif_) {
    const char* mode = append_ ? "a" : PageBudget(*image) > kClassicLimit ? "w8" : "w";
    options_ = MakeTiffOptions(&messages_);
    tif_.reset(TIFFOpenExt(staged_.TemporaryPath().c_str(), mode, options_.get()));
    if (!tif_) Fail();
    classic_ = !TIFFIsBigTIFF(tif_.get());
  }
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(staged_.TemporaryPath(), ec);
  if (classic_ && size + PageBudget(*image) > kClassicLimit) RefuseGrowth(target_);
  if (!WritePage(tif_.get(), *image)) Fail();
}

void TiffOutput::Commit() {
  if (!tif_) throw ImageError("cannot write " + target_ + ": there is no page to write");
  tif_.reset();  // closing flushes; a failure there is a failed write too
  if (!messages_.first_error.empty()) Fail();
  if (!staged_.Commit()) throw ImageError("cannot write " + target_ + ": " + staged_.Reason());
}

void WriteTiffPage(const std::string& path, const Image& image, bool append) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) throw ImageError("cannot write " + path + ": it is a folder");
  append = append && exists && st.st_size > 0;
  if (append) {
    // Only to a TIFF file, and a standard one must stay below 4 GB: checked before the copy.
    unsigned char header[4] = {};
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
      const size_t got = std::fread(header, 1, 4, f);
      std::fclose(f);
      if (got != 4) header[0] = 0;
    } else {
      throw ImageError("cannot open " + path + ": " + std::strerror(errno));
    }
    const bool little = header[0] == 'I' && header[1] == 'I';
    const bool bigend = header[0] == 'M' && header[1] == 'M';
    const int version = little ? header[2] | (header[3] << 8) : bigend ? (header[2] << 8) | header[3] : 0;
    if (version != 42 && version != 43) {
      throw ImageError("cannot add a page to " + FileNameOf(path) + ": it is not a TIFF file");
    }
    if (version == 42 && static_cast<uint64_t>(st.st_size) + PageBudget(image) > kClassicLimit) RefuseGrowth(path);
  }
  TiffOutput output(path, append);
  output.Add(image);
  output.Commit();
}

}  // namespace lumetrix::imaging::detail
