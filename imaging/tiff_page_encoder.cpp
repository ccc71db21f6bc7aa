#include "imaging/tiff_page_encoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "imaging/image_box.h"
#include "imaging/tiff_messages.h"

namespace lumetrix::imaging::detail {

uint64_t EncodedPage::Bytes() const {
  uint64_t total = 0;
  for (const auto& s : strips) total += s.size();
  return total;
}

uint32_t RowsPerStrip(uint32_t width, uint32_t height, bool grey) {
  const size_t row_bytes = size_t{width} * (grey ? 1 : 3);
  return static_cast<uint32_t>(std::clamp<size_t>((64 * 1024) / row_bytes, 1, height));
}

void SetPageTags(TIFF* tif, uint32_t width, uint32_t height, bool grey, uint32_t rows_per_strip) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, grey ? 1 : 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows_per_strip);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_SOFTWARE, "Lumetrix");
}

void StripBytes(const Image& image, uint32_t row0, uint32_t rows, std::vector<uint8_t>& strip) {
  const bool grey = image.kind == PixelKind::kGrey;
  const size_t row_bytes = static_cast<size_t>(image.width) * (grey ? 1 : 3);
  const uint8_t* src = image.pixels.data() + size_t{row0} * row_bytes;
  const size_t bytes = size_t{rows} * row_bytes;
  strip.resize(bytes);
  if (grey) {
    std::memcpy(strip.data(), src, bytes);
    return;
  }
  for (size_t i = 0; i < bytes; i += 3) {
    strip[i] = src[i + 2];
    strip[i + 1] = src[i + 1];
    strip[i + 2] = src[i];
  }
}

namespace {

// A TIFF file in memory, for libtiff's client interface.
struct MemoryFile {
  std::vector<uint8_t> bytes;
  uint64_t at = 0;

  static tmsize_t Read(thandle_t h, void* buf, tmsize_t n) {
    auto* f = static_cast<MemoryFile*>(h);
    const uint64_t got = f->at >= f->bytes.size() ? 0 : std::min<uint64_t>(static_cast<uint64_t>(n), f->bytes.size() - f->at);
    std::memcpy(buf, f->bytes.data() + f->at, got);
    f->at += got;
    return static_cast<tmsize_t>(got);
  }
  static tmsize_t Write(thandle_t h, void* buf, tmsize_t n) {
    auto* f = static_cast<MemoryFile*>(h);
    if (f->at + static_cast<uint64_t>(n) > f->bytes.size()) f->bytes.resize(f->at + static_cast<uint64_t>(n));
    std::memcpy(f->bytes.data() + f->at, buf, static_cast<size_t>(n));
    f->at += static_cast<uint64_t>(n);
    return n;
  }
  static toff_t Seek(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    const uint64_t base = whence == SEEK_CUR ? f->at : whence == SEEK_END ? f->bytes.size() : 0;
    f->at = base + off;
    return f->at;
  }
  static int Close(thandle_t) { return 0; }
  static toff_t Size(thandle_t h) { return static_cast<MemoryFile*>(h)->bytes.size(); }
  static int Map(thandle_t, void**, toff_t*) { return 0; }
  static void Unmap(thandle_t, void*, toff_t) {}
};

}  // namespace

EncodedPage EncodePage(const Image& source) {
  Image colour;
  const Image* image = &source;
  if (source.kind == PixelKind::kPalette) {
    colour = source;
    ToColour(colour);
    image = &colour;
  }
  EncodedPage page;
  page.width = static_cast<uint32_t>(image->width);
  page.height = static_cast<uint32_t>(image->height);
  page.grey = image->kind == PixelKind::kGrey;
  page.rows_per_strip = RowsPerStrip(page.width, page.height, page.grey);
  MemoryFile file;
  TiffMessages messages;
  TiffOptions options = MakeTiffOptions(&messages);
  // BigTIFF offsets: a page of any legal size fits.
  TiffHandle tif(TIFFClientOpenExt("page", "w8", &file, MemoryFile::Read, MemoryFile::Write, MemoryFile::Seek,
                                   MemoryFile::Close, MemoryFile::Size, MemoryFile::Map, MemoryFile::Unmap,
                                   options.get()));
  if (!tif) throw ImageError("cannot compress a page" + messages.Reason());
  SetPageTags(tif.get(), page.width, page.height, page.grey, page.rows_per_strip);
  std::vector<uint8_t> strip;
  const uint32_t count = (page.height + page.rows_per_strip - 1) / page.rows_per_strip;
  for (uint32_t s = 0; s < count; ++s) {
    const uint32_t row0 = s * page.rows_per_strip;
    StripBytes(*image, row0, std::min(page.rows_per_strip, page.height - row0), strip);
    if (TIFFWriteEncodedStrip(tif.get(), s, strip.data(), static_cast<tmsize_t>(strip.size())) < 0)
      throw ImageError("cannot compress a page" + messages.Reason());
  }
  const uint64_t* offsets = nullptr;
  const uint64_t* sizes = nullptr;
  if (!TIFFGetField(tif.get(), TIFFTAG_STRIPOFFSETS, &offsets) || !TIFFGetField(tif.get(), TIFFTAG_STRIPBYTECOUNTS, &sizes))
    throw ImageError("cannot compress a page: its strips went missing");
  page.strips.resize(count);
  for (uint32_t s = 0; s < count; ++s)
    page.strips[s].assign(file.bytes.begin() + static_cast<std::ptrdiff_t>(offsets[s]),
                          file.bytes.begin() + static_cast<std::ptrdiff_t>(offsets[s] + sizes[s]));
  return page;
}

}  // namespace lumetrix::imaging::detail
