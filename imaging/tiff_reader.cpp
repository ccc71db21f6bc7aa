#include "imaging/tiff_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include <unistd.h>

#include "imaging/deep_range_cache.h"
#include "imaging/image_box.h"
#include "imaging/lsm_info.h"

namespace lumetrix::imaging::detail {

namespace {

enum class PageClass { kGrey, kColour, kPalette, kRgba };

std::string CompressionName(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE: return "uncompressed";
    case COMPRESSION_LZW: return "LZW";
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return "Deflate";
    case COMPRESSION_PACKBITS: return "PackBits";
    case COMPRESSION_JPEG: return "JPEG";
    case COMPRESSION_OJPEG: return "old-style JPEG";
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return "CCITT";
    default: break;
  }
  if (const TIFFCodec* codec = TIFFFindCODEC(compression)) return codec->name;
  return "compression " + std::to_string(compression);
}

// Upper bound of the decoded/stored size ratio of a codec, used to refuse pages whose
// declared size the stored bytes could never fill (0: no bound known).
uint64_t MaxExpansion(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 1100;
    case COMPRESSION_LZW: return 4096;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: return 4096;  // far above what any JPEG reaches
    default: return 0;
  }
}

// ---- sample access ----------------------------------------------------------------------

// Unsigned integer sample `index` of a row of `bits`-bit samples (1..32 bits; libtiff has
// already put multi-byte samples into native order).
inline uint32_t UintSample(const uint8_t* row, uint64_t index, int bits) {
  switch (bits) {
    case 8: return row[index];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + 2 * index, 2);
      return v;
    }
    case 32: {
      uint32_t v;
      std::memcpy(&v, row + 4 * index, 4);
      return v;
    }
    default: {
      const uint64_t bit = index * static_cast<uint64_t>(bits);
      const int shift = 8 - bits - static_cast<int>(bit & 7);
      return (row[bit >> 3] >> shift) & ((1u << bits) - 1);
    }
  }
}

}  // namespace

struct TiffReader::Layout {
  uint32_t width = 0;
  uint32_t height = 0;
  int bits = 0;
  int spp = 0;
  int format = SAMPLEFORMAT_UINT;
  int photometric = PHOTOMETRIC_MINISBLACK;
  int compression = COMPRESSION_NONE;
  bool separate = false;
  bool tiled = false;
  uint32_t tile_width = 0;
  uint32_t tile_height = 0;
  uint32_t rows_per_strip = 0;
  PageClass kind = PageClass::kGrey;
  int planes = 1;            // sample planes stored
  int per_pixel = 1;         // samples per pixel inside one plane
  uint64_t row_bytes = 0;    // one row of one plane
  uint64_t plane_bytes = 0;
  uint64_t raw_bytes = 0;
  bool deep = false;         // scaled by the file's range

  // Numeric value of channel `c` of pixel x in row y of the decoded raw page.
  double Value(const uint8_t* raw, uint32_t y, uint64_t x, int c) const {
    const uint8_t* row = raw + (separate ? static_cast<uint64_t>(c) * plane_bytes : 0) +
                         static_cast<uint64_t>(y) * row_bytes;
    const uint64_t index = separate ? x : x * static_cast<uint64_t>(spp) + static_cast<uint64_t>(c);
    double v;
    if (format == SAMPLEFORMAT_IEEEFP) {
      if (bits == 32) {
        float f;
        std::memcpy(&f, row + 4 * index, 4);
        v = f;
      } else {
        double d;
        std::memcpy(&d, row + 8 * index, 8);
        v = d;
      }
    } else if (bits == 64) {
      if (format == SAMPLEFORMAT_INT) {
        int64_t i;
        std::memcpy(&i, row + 8 * index, 8);
        v = static_cast<double>(i);
      } else {
        uint64_t u;
        std::memcpy(&u, row + 8 * index, 8);
        v = static_cast<double>(u);
      }
    } else {
      const uint32_t u = UintSample(row, index, bits);
      if (format == SAMPLEFORMAT_INT) {
        // Sign-extend the `bits`-bit two's complement value.
        const int64_t half = int64_t{1} << (bits - 1);
        v = static_cast<double>(static_cast<int64_t>(u) >= half ? static_cast<int64_t>(u) - 2 * half
                                                               : static_cast<int64_t>(u));
      } else {
        v = u;
      }
    }
    if (photometric == PHOTOMETRIC_MINISWHITE && kind == PageClass::kGrey) {
      if (format == SAMPLEFORMAT_IEEEFP) return -v;
      if (format == SAMPLEFORMAT_INT) return -1.0 - v;
      return std::ldexp(1.0, bits) - 1.0 - v;
    }
    return v;
  }
};

TiffReader::TiffReader(const std::string& path, const FileStamp& stamp)
    : path_(path), name_(FileNameOf(path)), stamp_(stamp), messages_(std::make_unique<TiffMessages>()) {
  TiffOptions options = MakeTiffOptions(messages_.get());
  // "m": read, not map: a file cut short by another program must not bring us down.
  std::vector<BytePatch> patches = LsmBitsPerSamplePatches(path, stamp.size);
  tif_.reset(patches.empty() ? TIFFOpenExt(path.c_str(), "rm", options.get())
                             : OpenPatchedTiff(path, std::move(patches), options.get()));
  if (!tif_) {
    // A header whose first directory offset is zero is a valid file with no pages.
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
      unsigned char header[16] = {};
      const size_t got = std::fread(header, 1, sizeof header, f);
      std::fclose(f);
      const bool big = got >= 4 && (header[2] == 43 || header[3] == 43);
      const size_t at = big ? 8 : 4;
      const size_t len = big ? 8 : 4;
      if (got >= at + len && std::all_of(header + at, header + at + len, [](unsigned char b) { return b == 0; })) {
        throw ImageError(name_ + " holds no pages");
      }
    }
    throw ImageError(name_ + " cannot be read as a TIFF file" + messages_->Reason());
  }
  current_ = 0;
  offsets_.push_back(TIFFCurrentDirOffset(tif_.get()));
}

TiffReader::~TiffReader() = default;

int32_t TiffReader::PageCount() {
  if (page_count_ < 0) {
    messages_->Reset();
    const tdir_t n = TIFFNumberOfDirectories(tif_.get());
    page_count_ = static_cast<int32_t>(std::min<tdir_t>(n, INT32_MAX));
    if (page_count_ <= 0) throw ImageError(name_ + " holds no pages" + messages_->Reason());
    // A chain of pages that breaks off (a file cut short while it was copied or written) would
    // otherwise open as a shorter stack without a word.
    if (!messages_->first_error.empty()) {
      const int32_t readable = page_count_;
      page_count_ = -1;
      throw ImageError(name_ + " is damaged after page " + std::to_string(readable) + messages_->Reason());
    }
  }
  return page_count_;
}

bool TiffReader::GoTo(int32_t page) {
  if (page == current_) return true;
  TIFF* tif = tif_.get();
  int ok;
  if (current_ >= 0 && page == current_ + 1) {
    ok = TIFFReadDirectory(tif);
  } else if (static_cast<size_t>(page) < offsets_.size() && offsets_[page] != 0) {
    ok = TIFFSetSubDirectory(tif, offsets_[page]);
  } else {
    ok = TIFFSetDirectory(tif, static_cast<tdir_t>(page));
  }
  if (!ok) {
    current_ = -1;
    return false;
  }
  current_ = page;
  if (offsets_.size() <= static_cast<size_t>(page)) offsets_.resize(static_cast<size_t>(page) + 1, 0);
  offsets_[page] = TIFFCurrentDirOffset(tif);
  return true;
}

TiffReader::Layout TiffReader::ReadLayout(const std::string& where, bool samples_as_channels) {
  TIFF* tif = tif_.get();
  Layout l;
  uint16_t u16 = 0;
  uint32_t u32 = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &u16);
  l.bits = u16;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &u16);
  l.spp = u16;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &u16);
  l.format = u16 == SAMPLEFORMAT_VOID ? SAMPLEFORMAT_UINT : u16;
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &u16)) {
    u16 = l.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  }
  l.photometric = u16;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &u16);
  l.compression = u16;
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &u16);
  l.separate = u16 == PLANARCONFIG_SEPARATE && l.spp > 1;
  l.tiled = TIFFIsTiled(tif) != 0;
  if (TIFFGetField(tif, TIFFTAG_IMAGEDEPTH, &u32) && u32 > 1) {
    throw ImageError(where + " is a volumetric (ImageDepth) image, which is not supported");
  }

  CheckImageSize(l.width, l.height, 1, where);
  if (l.spp < 1) throw ImageError(where + " has no samples per pixel");
  if (!TIFFIsCODECConfigured(static_cast<uint16_t>(l.compression))) {
    const uint16_t code = static_cast<uint16_t>(l.compression);
    throw ImageError(TIFFFindCODEC(code) ? where + " uses " + CompressionName(code) +
                                               " compression, which this program cannot decode"
                                         : where + " uses an unknown compression (code " + std::to_string(code) +
                                               "), which cannot be decoded");
  }

  if (l.format != SAMPLEFORMAT_UINT && l.format != SAMPLEFORMAT_INT && l.format != SAMPLEFORMAT_IEEEFP) {
    throw ImageError(where + " has complex or unknown samples (sample format " + std::to_string(l.format) +
                     "), which cannot be shown");
  }
  const bool integer = l.format == SAMPLEFORMAT_UINT || l.format == SAMPLEFORMAT_INT;
  const bool plain_bits = l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8 ||
                          l.bits == 16 || l.bits == 32 || l.bits == 64;
  const bool valid_sample = (integer && plain_bits) ||
                            (l.format == SAMPLEFORMAT_IEEEFP && (l.bits == 32 || l.bits == 64));
  const bool jpeg_colour = (l.compression == COMPRESSION_JPEG && l.photometric == PHOTOMETRIC_YCBCR) ||
                           l.compression == COMPRESSION_OJPEG;
  if (jpeg_colour) {
    l.kind = PageClass::kRgba;
  } else if ((l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE) &&
             valid_sample) {
    l.kind = PageClass::kGrey;
  } else if (l.photometric == PHOTOMETRIC_RGB && l.spp >= 3 && valid_sample) {
    l.kind = PageClass::kColour;
  } else if (l.photometric == PHOTOMETRIC_PALETTE && l.spp == 1 && l.format == SAMPLEFORMAT_UINT &&
             l.bits <= 8 && plain_bits) {
    l.kind = PageClass::kPalette;
  } else {
    l.kind = PageClass::kRgba;
  }
  if (samples_as_channels && valid_sample && !jpeg_colour && l.spp <= 8) l.kind = PageClass::kGrey;  // read sample by sample
  if (l.kind == PageClass::kRgba) {
    l.tiled = false;
    l.raw_bytes = (uint64_t{l.width} * l.height * static_cast<uint64_t>(l.spp) * std::max(l.bits, 1) + 7) / 8;
    CheckStoredData(l, TIFFNumberOfStrips(tif), where);
    CheckDeclaredSize(l, where);
    return l;
  }

  l.deep = l.bits > 8 || l.format == SAMPLEFORMAT_IEEEFP;
  l.planes = l.separate ? l.spp : 1;
  l.per_pixel = l.separate ? 1 : l.spp;
  l.row_bytes = (static_cast<uint64_t>(l.width) * static_cast<uint64_t>(l.per_pixel) *
                     static_cast<uint64_t>(l.bits) + 7) / 8;
  l.plane_bytes = l.row_bytes * l.height;
  l.raw_bytes = l.plane_bytes * static_cast<uint64_t>(l.planes);
  if (l.raw_bytes > kMaxImageBytes) {
    throw ImageError(where + " is too large (" + std::to_string(l.width) + " x " +
                     std::to_string(l.height) + " pixels of " + std::to_string(l.spp) + " x " +
                     std::to_string(l.bits) + " bits; at most 2 GB per page)");
  }
  if (l.row_bytes != TIFFScanlineSize64(tif)) {
    throw ImageError(where + " has a sample layout that is not supported" + messages_->Reason());
  }

  uint64_t blocks = 0;
  if (l.tiled) {
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &l.tile_width);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &l.tile_height);
    if (l.tile_width == 0 || l.tile_height == 0) throw ImageError(where + " has tiles of no size");
    if ((static_cast<uint64_t>(l.tile_width) * l.per_pixel * l.bits) % 8 != 0) {
      throw ImageError(where + " has a tile width that is not supported");
    }
    const uint64_t across = (l.width + uint64_t{l.tile_width} - 1) / l.tile_width;
    const uint64_t down = (l.height + uint64_t{l.tile_height} - 1) / l.tile_height;
    blocks = across * down * static_cast<uint64_t>(l.planes);
    if (TIFFTileSize64(tif) > kMaxImageBytes || TIFFTileSize64(tif) == 0) {
      throw ImageError(where + " has tiles that are too large");
    }
    // A tile far larger than its image only makes the reader allocate for nothing.
    const auto padded = [](uint32_t size) { return (uint64_t{size} + 15) / 16 * 16; };
    if (l.tile_width > std::max<uint64_t>(padded(l.width), 256) ||
        l.tile_height > std::max<uint64_t>(padded(l.height), 256)) {
      throw ImageError(where + " has tiles of " + std::to_string(l.tile_width) + " x " + std::to_string(l.tile_height) +
                       " pixels, far larger than its " + std::to_string(l.width) + " x " + std::to_string(l.height) +
                       " pixels");
    }
    if (TIFFNumberOfTiles(tif) < blocks) throw ImageError(where + " is damaged: tiles are missing");
  } else {
    uint32_t rps = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
    l.rows_per_strip = (rps == 0 || rps > l.height) ? l.height : rps;
    const uint64_t per_plane = (l.height + uint64_t{l.rows_per_strip} - 1) / l.rows_per_strip;
    blocks = per_plane * static_cast<uint64_t>(l.planes);
    if (TIFFNumberOfStrips(tif) < blocks) throw ImageError(where + " is damaged: strips are missing");
  }
  CheckStoredData(l, blocks, where);
  CheckDeclaredSize(l, where);
  return l;
}

// Whatever the codec (CCITT, zstd, LZMA... have no useful bound of their own), a page may not
// need more than 64 times the file's size once it is over 64 MB: a tiny file declaring a huge
// page is refused before anything is allocated.
void TiffReader::CheckDeclaredSize(const Layout& l, const std::string& where) const {
  const uint64_t page_out = uint64_t{l.width} * l.height * static_cast<uint64_t>(std::clamp(l.spp, 1, 4));
  if (page_out > (uint64_t{64} << 20) && page_out / 64 > stamp_.size) {
    throw ImageError(where + " declares " + std::to_string(l.width) + " x " + std::to_string(l.height) +
                     " pixels in a file of " + std::to_string((stamp_.size + 1023) / 1024) +
                     " KB; no real file is compressed that far");
  }
}

// Every stored block the page needs must lie inside the file, and together they must be able
// to hold the declared pixels: checked before anything is allocated.
void TiffReader::CheckStoredData(const Layout& l, uint64_t blocks, const std::string& where) {
  TIFF* tif = tif_.get();
  uint64_t stored = 0;
  for (uint64_t b = 0; b < blocks; ++b) {
    int err = 0;
    const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, static_cast<uint32_t>(b), &err);
    const uint64_t count = TIFFGetStrileByteCountWithErr(tif, static_cast<uint32_t>(b), &err);
    if (err) throw ImageError(where + " is damaged: its data offsets cannot be read" + messages_->Reason());
    if (offset > stamp_.size || count > stamp_.size - offset) {
      throw ImageError(where + " is truncated");
    }
    stored += count;
  }
  const uint64_t expansion = MaxExpansion(static_cast<uint16_t>(l.compression));
  if (expansion != 0 && stored * expansion < l.raw_bytes / (l.tiled ? 2 : 1)) {
    // Tiles may overhang the image edge, hence the slack there.
    throw ImageError(where + " is truncated: its stored data cannot hold " +
                     std::to_string(l.width) + " x " + std::to_string(l.height) + " pixels");
  }
}

std::string TiffReader::DecodeFailure(const std::string& where, const char* what) const {
  return where +
         (messages_->first_error.find("Read error") != std::string::npos ||
                  messages_->first_error.find("Not enough data") != std::string::npos
              ? std::string(" is truncated")
              : std::string(" is damaged: ") + what) +
         messages_->Reason();
}

void TiffReader::DecodeRaw(const Layout& l, uint8_t* raw, const std::string& where) {
  TIFF* tif = tif_.get();
  const auto fail = [&](const char* what) { throw ImageError(DecodeFailure(where, what)); };
  if (!l.tiled) {
    const uint32_t per_plane = (l.height + l.rows_per_strip - 1) / l.rows_per_strip;
    for (int plane = 0; plane < l.planes; ++plane) {
      for (uint32_t s = 0; s < per_plane; ++s) {
        const uint32_t row0 = s * l.rows_per_strip;
        const uint32_t rows = std::min(l.rows_per_strip, l.height - row0);
        const uint64_t size = static_cast<uint64_t>(rows) * l.row_bytes;
        uint8_t* dst = raw + static_cast<uint64_t>(plane) * l.plane_bytes + uint64_t{row0} * l.row_bytes;
        const tmsize_t got = TIFFReadEncodedStrip(
            tif, static_cast<uint32_t>(plane) * per_plane + s, dst, static_cast<tmsize_t>(size));
        if (got < 0) fail("a strip cannot be decoded");
        if (static_cast<uint64_t>(got) < size) {
          throw ImageError(where + " is truncated" + messages_->Reason());
        }
      }
    }
    return;
  }
  const uint64_t tile_size = TIFFTileSize64(tif);
  const uint64_t tile_row = TIFFTileRowSize64(tif);
  if (tile_row == 0 || tile_row * l.tile_height > tile_size) {
    throw ImageError(where + " has a tile layout that is not supported");
  }
  scratch_.resize(tile_size);
  for (int plane = 0; plane < l.planes; ++plane) {
    for (uint32_t ty = 0; ty < l.height; ty += l.tile_height) {
      for (uint32_t tx = 0; tx < l.width; tx += l.tile_width) {
        const uint32_t tile = TIFFComputeTile(tif, tx, ty, 0, static_cast<uint16_t>(plane));
        const tmsize_t got = TIFFReadEncodedTile(tif, tile, scratch_.data(), static_cast<tmsize_t>(tile_size));
        if (got < 0) fail("a tile cannot be decoded");
        const uint32_t cols = std::min(l.tile_width, l.width - tx);
        const uint32_t rows = std::min(l.tile_height, l.height - ty);
        const uint64_t x_byte = uint64_t{tx} * l.per_pixel * l.bits / 8;
        const uint64_t bytes = std::min<uint64_t>((uint64_t{cols} * l.per_pixel * l.bits + 7) / 8,
                                                  l.row_bytes - x_byte);
        uint8_t* base = raw + static_cast<uint64_t>(plane) * l.plane_bytes;
        for (uint32_t r = 0; r < rows; ++r) {
          std::memcpy(base + uint64_t{ty + r} * l.row_bytes + x_byte, scratch_.data() + r * tile_row, bytes);
        }
      }
    }
  }
}

void TiffReader::ReadRgba(const Layout& l, Image& out, const std::string& where) {
  TIFF* tif = tif_.get();
  char reason[1024] = {};
  if (!TIFFRGBAImageOK(tif, reason)) {
    throw ImageError(where + " has a pixel format that cannot be read (" + reason + ")");
  }
  CheckImageSize(l.width, l.height, 4, where);
  std::vector<uint32_t> raster(static_cast<size_t>(l.width) * l.height);
  if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), ORIENTATION_TOPLEFT, 1)) {
    throw ImageError(where + " cannot be decoded" + messages_->Reason());
  }
  out.pixels.resize(raster.size() * 3);
  uint8_t* p = out.pixels.data();
  for (const uint32_t v : raster) {
    *p++ = static_cast<uint8_t>(TIFFGetB(v));
    *p++ = static_cast<uint8_t>(TIFFGetG(v));
    *p++ = static_cast<uint8_t>(TIFFGetR(v));
  }
  out.kind = PixelKind::kColour;
  out.bit_depth = 24;
}

std::pair<double, double> TiffReader::DeepRange(const std::string& where) {
  std::pair<double, double> range;
  if (FindDeepRange(path_, stamp_, range)) return range;
  double lo = std::numeric_limits<double>::infinity();
  double hi = -lo;
  const int32_t count = PageCount();
  std::vector<uint8_t> raw;
  for (int32_t p = 0; p < count; ++p) {
    messages_->Reset();
    if (!GoTo(p)) break;  // the chain ends here; later pages report it when read
    try {
      const Layout l = ReadLayout(where);
      if (l.kind != PageClass::kGrey && l.kind != PageClass::kColour) continue;
      if (!l.deep) continue;
      raw.resize(l.raw_bytes);
      DecodeRaw(l, raw.data(), where);
      const int channels = l.kind == PageClass::kGrey ? 1 : 3;
      if (l.bits == 16 && l.format != SAMPLEFORMAT_IEEEFP) {
        // Histogram of the 16-bit codes, then values: far cheaper than per-sample doubles.
        std::vector<uint8_t> seen(65536, 0);
        for (uint32_t y = 0; y < l.height; ++y) {
          for (int c = 0; c < channels; ++c) {
            const uint8_t* row = raw.data() + (l.separate ? c * l.plane_bytes : 0) + y * l.row_bytes;
            for (uint32_t x = 0; x < l.width; ++x) {
              seen[UintSample(row, l.separate ? x : uint64_t{x} * l.spp + c, 16)] = 1;
            }
          }
        }
        for (uint32_t code = 0; code < 65536; ++code) {
          if (!seen[code]) continue;
          uint16_t bits = static_cast<uint16_t>(code);
          uint8_t one[8] = {};
          std::memcpy(one, &bits, 2);
          Layout single = l;
          single.separate = false;
          single.spp = 1;
          single.row_bytes = 2;
          const double v = single.Value(one, 0, 0, 0);
          lo = std::min(lo, v);
          hi = std::max(hi, v);
        }
      } else {
        for (uint32_t y = 0; y < l.height; ++y) {
          for (uint32_t x = 0; x < l.width; ++x) {
            for (int c = 0; c < channels; ++c) {
              const double v = l.Value(raw.data(), y, x, c);
              if (!std::isfinite(v)) continue;
              lo = std::min(lo, v);
              hi = std::max(hi, v);
            }
          }
        }
      }
    } catch (const ImageError&) {
      // A damaged page does not stop the others from setting the scale.
    }
  }
  if (!(lo <= hi)) lo = hi = 0;
  range = {lo, hi};
  StoreDeepRange(path_, stamp_, range);
  return range;
}

void TiffReader::ReadPage(int32_t page, Image& out) {
  const int32_t count = PageCount();
  const std::string where = "page " + std::to_string(page + 1) + " of " + name_;
  if (page < 0 || page >= count) {
    throw ImageError(name_ + " has no page " + std::to_string(page + 1) + " (it has " +
                     std::to_string(count) + (count == 1 ? " page)" : " pages)"));
  }
  messages_->Reset();
  if (!GoTo(page)) throw ImageError(where + " cannot be read" + messages_->Reason());
  Layout l = ReadLayout(where);
  ReadCurrent(l, out, where);
}

void TiffReader::ReadCurrent(const Layout& l, Image& out, const std::string& where) {
  out.width = static_cast<int32_t>(l.width);
  out.height = static_cast<int32_t>(l.height);
  const std::string compression = CompressionName(static_cast<uint16_t>(l.compression));
  const size_t pixels = static_cast<size_t>(l.width) * l.height;

  if (l.kind == PageClass::kRgba) {
    ReadRgba(l, out, where);
    out.source = "colour (photometric " + std::to_string(l.photometric) + "), " + compression;
    return;
  }

  const bool plain8 = l.bits == 8 && l.format == SAMPLEFORMAT_UINT && !l.tiled && !l.separate;
  if (plain8 && l.kind == PageClass::kGrey && l.spp == 1) {
    // The common case: decode straight into the pixel buffer.
    out.pixels.resize(pixels);
    DecodeRaw(l, out.pixels.data(), where);
    if (l.photometric == PHOTOMETRIC_MINISWHITE) {
      for (auto& v : out.pixels) v = static_cast<uint8_t>(255 - v);
    }
    out.kind = PixelKind::kGrey;
    out.bit_depth = 8;
    out.source = "8-bit grey, " + compression;
    return;
  }
  if (plain8 && l.kind == PageClass::kColour && l.spp == 3) {
    CheckImageSize(l.width, l.height, 3, where);
    out.pixels.resize(pixels * 3);
    DecodeRaw(l, out.pixels.data(), where);
    for (uint8_t* p = out.pixels.data(), *end = p + pixels * 3; p != end; p += 3) std::swap(p[0], p[2]);
    out.kind = PixelKind::kColour;
    out.bit_depth = 24;
    out.source = "8-bit RGB, " + compression;
    return;
  }

  std::vector<uint8_t> raw(l.raw_bytes);
  DecodeRaw(l, raw.data(), where);
  const std::string layout_name = std::string(l.tiled ? ", tiled" : "") + (l.separate ? ", planar" : "");

  if (l.bits == 8 && l.format == SAMPLEFORMAT_UINT && l.kind != PageClass::kPalette) {
    // 8-bit tiles, planes and extra samples: plain byte moves, no per-sample conversion.
    const bool grey = l.kind == PageClass::kGrey;
    CheckImageSize(l.width, l.height, grey ? 1 : 3, where);
    out.pixels.resize(pixels * (grey ? 1 : 3));
    uint8_t* dst = out.pixels.data();
    const size_t step = l.separate ? 1 : static_cast<size_t>(l.spp);
    for (uint32_t y = 0; y < l.height; ++y) {
      const uint8_t* row = raw.data() + uint64_t{y} * l.row_bytes;
      if (grey) {
        const uint8_t flip = l.photometric == PHOTOMETRIC_MINISWHITE ? 255 : 0;
        for (uint32_t x = 0; x < l.width; ++x) *dst++ = static_cast<uint8_t>(row[x * step] ^ flip);
      } else if (l.separate) {
        const uint8_t* r = row;
        const uint8_t* g = row + l.plane_bytes;
        const uint8_t* b = row + 2 * l.plane_bytes;
        for (uint32_t x = 0; x < l.width; ++x, dst += 3) {
          dst[0] = b[x];
          dst[1] = g[x];
          dst[2] = r[x];
        }
      } else {
        for (uint32_t x = 0; x < l.width; ++x, dst += 3) {
          dst[0] = row[x * step + 2];
          dst[1] = row[x * step + 1];
          dst[2] = row[x * step];
        }
      }
    }
    out.kind = grey ? PixelKind::kGrey : PixelKind::kColour;
    out.bit_depth = grey ? 8 : 24;
    out.source = std::string(grey ? "8-bit grey" : "8-bit RGB") +
                 (l.spp > (grey ? 1 : 3) ? " with extra samples, " : ", ") + compression + layout_name;
    return;
  }

  if (l.kind == PageClass::kPalette) {
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (!TIFFGetField(tif_.get(), TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) {
      throw ImageError(where + " is a palette image without a colour map");
    }
    const int entries = 1 << l.bits;
    bool eight_bit_map = true;  // some writers store 0..255 instead of 0..65535
    for (int i = 0; i < entries; ++i) {
      if (red[i] > 255 || green[i] > 255 || blue[i] > 255) eight_bit_map = false;
    }
    out.palette.fill(0);
    for (int i = 0; i < entries; ++i) {
      const auto to8 = [&](uint16_t v) {
        return static_cast<uint8_t>(eight_bit_map ? v : (uint32_t{v} * 255 + 32767) / 65535);
      };
      out.palette[3 * i] = to8(red[i]);
      out.palette[3 * i + 1] = to8(green[i]);
      out.palette[3 * i + 2] = to8(blue[i]);
    }
    out.pixels.resize(pixels);
    uint8_t* dst = out.pixels.data();
    for (uint32_t y = 0; y < l.height; ++y) {
      const uint8_t* row = raw.data() + uint64_t{y} * l.row_bytes;
      for (uint32_t x = 0; x < l.width; ++x) *dst++ = static_cast<uint8_t>(UintSample(row, x, l.bits));
    }
    out.kind = PixelKind::kPalette;
    out.bit_depth = 8;
    GreyPaletteToGrey(out, entries);
    out.source = std::to_string(l.bits) + "-bit palette" +
                 (out.kind == PixelKind::kGrey ? " of grey levels, " : ", ") + compression + layout_name;
    return;
  }

  const int channels = l.kind == PageClass::kGrey ? 1 : 3;
  CheckImageSize(l.width, l.height, channels, where);
  out.pixels.resize(pixels * static_cast<size_t>(channels));
  uint8_t* dst = out.pixels.data();
  std::string kind_name = std::to_string(l.bits) + "-bit " +
                          (l.format == SAMPLEFORMAT_IEEEFP ? "floating-point "
                           : l.format == SAMPLEFORMAT_INT  ? "signed "
                                                           : "") +
                          (channels == 1 ? "grey" : "RGB");
  if (l.spp > channels) kind_name += " (" + std::to_string(l.spp - channels) + " extra samples ignored)";

  if (!l.deep) {
    // 1..8-bit integers: stretched to 0..255 by their bit depth.
    const double top = std::ldexp(1.0, l.bits) - 1.0;
    const bool signed_samples = l.format == SAMPLEFORMAT_INT;
    for (uint32_t y = 0; y < l.height; ++y) {
      for (uint32_t x = 0; x < l.width; ++x) {
        for (int c = channels - 1; c >= 0; --c) {  // colour is stored blue first
          double v = l.Value(raw.data(), y, x, c);
          if (signed_samples) v += (top + 1) / 2;  // -128..127 -> 0..255
          *dst++ = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, top) * 255.0 / top));
        }
      }
    }
    out.kind = channels == 1 ? PixelKind::kGrey : PixelKind::kColour;
    out.bit_depth = channels == 1 ? 8 : 24;
    out.source = kind_name + ", " + compression + layout_name;
    return;
  }

  const std::pair<double, double> range = DeepRange(where);
  const double lo = range.first;
  const double hi = range.second;
  // DeepRange may have walked the file; the page's own directory is still in `raw`.
  const double span = hi - lo;
  const auto map = [&](double v) -> uint8_t {
    if (!std::isfinite(v)) return v > 0 ? 255 : 0;
    if (!(span > 0)) return 0;  // a constant file is black
    return static_cast<uint8_t>(std::clamp(std::floor((v - lo) * 255.0 / span + 0.5), 0.0, 255.0));
  };
  if (l.bits == 16 && l.format != SAMPLEFORMAT_IEEEFP) {
    std::vector<uint8_t> lut(65536);
    Layout single = l;
    single.separate = false;
    single.spp = 1;
    single.row_bytes = 2;
    for (uint32_t code = 0; code < 65536; ++code) {
      const uint16_t bits = static_cast<uint16_t>(code);
      uint8_t one[8] = {};
      std::memcpy(one, &bits, 2);
      lut[code] = map(single.Value(one, 0, 0, 0));
    }
    for (uint32_t y = 0; y < l.height; ++y) {
      for (uint32_t x = 0; x < l.width; ++x) {
        for (int c = channels - 1; c >= 0; --c) {
          const uint8_t* row = raw.data() + (l.separate ? c * l.plane_bytes : 0) + uint64_t{y} * l.row_bytes;
          *dst++ = lut[UintSample(row, l.separate ? x : uint64_t{x} * l.spp + c, 16)];
        }
      }
    }
  } else {
    for (uint32_t y = 0; y < l.height; ++y) {
      for (uint32_t x = 0; x < l.width; ++x) {
        for (int c = channels - 1; c >= 0; --c) *dst++ = map(l.Value(raw.data(), y, x, c));
      }
    }
  }
  out.kind = channels == 1 ? PixelKind::kGrey : PixelKind::kColour;
  out.bit_depth = channels == 1 ? 16 : 48;
  char range_text[96];
  std::snprintf(range_text, sizeof range_text, "; levels %g..%g of the file shown as 0..255", lo, hi);
  out.source = kind_name + ", " + compression + layout_name + range_text;
}

// ---- pages as channel planes ----------------------------------------------------------------

std::vector<uint64_t> TiffReader::FullResolutionPages() {
  TIFF* tif = tif_.get();
  messages_->Reset();
  std::vector<uint64_t> pages;
  current_ = -1;
  if (!TIFFSetDirectory(tif, 0)) throw ImageError(name_ + " cannot be read" + messages_->Reason());
  int64_t seen = 0;
  do {
    ++seen;
    uint32_t type = 0;
    if (!TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &type) || (type & FILETYPE_REDUCEDIMAGE) == 0) {
      pages.push_back(TIFFCurrentDirOffset(tif));
    }
  } while (TIFFReadDirectory(tif));
  if (!messages_->first_error.empty()) {
    throw ImageError(name_ + " is damaged after page " + std::to_string(seen) + messages_->Reason());
  }
  if (pages.empty()) throw ImageError(name_ + " holds only reduced-resolution pages");
  return pages;
}

void TiffReader::SetDirectoryAt(uint64_t directory, const std::string& where) {
  messages_->Reset();
  current_ = -1;  // the page cache of ReadPage no longer knows where libtiff stands
  if (!TIFFSetSubDirectory(tif_.get(), directory)) throw ImageError(where + " cannot be read" + messages_->Reason());
}

PageShape TiffReader::ShapeAt(uint64_t directory, const std::string& where, bool samples_as_channels) {
  SetDirectoryAt(directory, where);
  TIFF* tif = tif_.get();
  const Layout l = ReadLayout(where, samples_as_channels);
  PageShape s;
  s.width = l.width;
  s.height = l.height;
  s.compression = static_cast<uint16_t>(l.compression);
  if (l.kind == PageClass::kGrey || l.kind == PageClass::kColour) {
    s.channels = samples_as_channels ? l.spp : l.kind == PageClass::kGrey ? 1 : 3;
    s.samples_as_channels = samples_as_channels;
    const bool integer = l.format != SAMPLEFORMAT_IEEEFP;
    s.bits = integer && l.bits <= 8 ? 8 : integer && l.bits == 16 ? 16 : 32;
    s.stored_bits = std::max(l.bits, 8);
    s.sample_format = l.bits < 8 ? SAMPLEFORMAT_UINT : l.format;  // sub-byte samples are stretched to 0..255
    s.kind = std::to_string(l.bits) + "-bit " +
             (l.format == SAMPLEFORMAT_IEEEFP ? "floating-point " : l.format == SAMPLEFORMAT_INT ? "signed " : "") +
             (samples_as_channels ? std::to_string(l.spp) + " channels" : s.channels == 1 ? "grey" : "RGB");
  } else {
    // Palette and other photometric kinds: decoded to 8 bits the way single pages are.
    Image image;
    ReadCurrent(l, image, where);
    s.channels = image.kind == PixelKind::kGrey ? 1 : 3;
    s.bits = 8;
    s.kind = image.source.substr(0, image.source.find(','));
  }
  s.kind += ", " + CompressionName(s.compression);
  char* text = nullptr;
  if (TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &text) && text) s.description = text;
  float res = 0;
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &res)) s.x_resolution = res;
  if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &res)) s.y_resolution = res;
  // ImageJ's private tags: libtiff keeps unknown tags as counted arrays of their stored type.
  const TIFFField* counts_field = TIFFFieldWithTag(tif, 50838);
  const TIFFField* data_field = TIFFFieldWithTag(tif, 50839);
  if (counts_field && data_field && TIFFFieldDataType(counts_field) == TIFF_LONG &&
      (TIFFFieldDataType(data_field) == TIFF_BYTE || TIFFFieldDataType(data_field) == TIFF_UNDEFINED)) {
    uint32_t count_entries = 0, size = 0;
    const uint32_t* counts = nullptr;
    const uint8_t* data = nullptr;
    if (TIFFGetField(tif, 50838, &count_entries, &counts) && TIFFGetField(tif, 50839, &size, &data)) {
      s.imagej_channels = ParseImageJMetadata(counts, count_entries, data, size);
    }
  }
  uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  s.resolution_unit = unit;
  if (l.compression == COMPRESSION_NONE && !l.tiled && (l.kind == PageClass::kGrey || l.kind == PageClass::kColour)) {
    const uint64_t* offsets = nullptr;
    const uint64_t* counts = nullptr;
    const uint32_t strips = TIFFNumberOfStrips(tif);
    if (TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) && TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) &&
        offsets && counts && strips > 0) {
      bool run = true;
      for (uint32_t i = 1; i < strips && run; ++i) run = offsets[i] == offsets[i - 1] + counts[i - 1];
      s.contiguous = run;
      s.data_offset = offsets[0];
      s.data_bytes = l.raw_bytes;
    }
  }
  return s;
}

namespace {

// A page that is grey (1) or colour (3) against the volume's first.
ImageError Differs(const std::string& where, int channels, const PageShape& shape) {
  const auto kind = [](int n) { return n == 1 ? "grey" : "colour"; };
  return ImageError(where + " is " + kind(channels) + " or of another depth, but page 1 is " + kind(shape.channels) + " (" +
                    shape.kind + "). All pages of a volume must have the same size and kind.");
}

template <typename T>
void Invert(void* plane, size_t count) {
  T* p = static_cast<T*>(plane);
  for (size_t i = 0; i < count; ++i) p[i] = static_cast<T>(~p[i]);
}

}  // namespace

void TiffReader::DecodeAt(uint64_t directory, const PageShape& shape, void* const* planes, const std::string& where,
                          uint64_t data_offset) {
  SetDirectoryAt(directory, where);
  const Layout l = ReadLayout(where, shape.samples_as_channels);
  const size_t pixels = size_t{l.width} * l.height;
  CheckAgainst(l, shape, where);
  if (l.kind != PageClass::kGrey && l.kind != PageClass::kColour) {
    Image image;
    ReadCurrent(l, image, where);
    if (image.kind == PixelKind::kPalette) ToColour(image);
    const int channels = image.kind == PixelKind::kGrey ? 1 : 3;
    if (channels != shape.channels || shape.bits != 8) throw Differs(where, l.kind == PageClass::kGrey ? 1 : 3, shape);
    for (int c = 0; c < channels; ++c) {
      uint8_t* dst = static_cast<uint8_t*>(planes[c]);
      const int byte = channels == 1 ? 0 : 2 - c;  // colour comes blue, green, red
      for (size_t i = 0; i < pixels; ++i) dst[i] = image.pixels[i * channels + byte];
    }
    return;
  }
  const int channels = shape.samples_as_channels ? l.spp : l.kind == PageClass::kGrey ? 1 : 3;
  const int bits = shape.bits;

  const auto fill = [&](uint8_t* raw) {
    if (data_offset == 0) {
      DecodeRaw(l, raw, where);
      return;
    }
    // Pages without a directory: plain samples in the file's byte order.
    const int fd = TIFFFileno(tif_.get());
    uint64_t done = 0;
    while (done < l.raw_bytes) {
      const ssize_t got = pread(fd, raw + done, l.raw_bytes - done, static_cast<off_t>(data_offset + done));
      if (got <= 0) throw ImageError(where + " is truncated");
      done += static_cast<uint64_t>(got);
    }
    if (TIFFIsByteSwapped(tif_.get())) {
      if (l.bits == 16) TIFFSwabArrayOfShort(reinterpret_cast<uint16_t*>(raw), static_cast<tmsize_t>(l.raw_bytes / 2));
      if (l.bits == 32) TIFFSwabArrayOfLong(reinterpret_cast<uint32_t*>(raw), static_cast<tmsize_t>(l.raw_bytes / 4));
      if (l.bits == 64) TIFFSwabArrayOfLong8(reinterpret_cast<uint64_t*>(raw), static_cast<tmsize_t>(l.raw_bytes / 8));
    }
  };
  // The common case: one grey channel of 8 or 16 unsigned bits goes straight into its plane.
  if (channels == 1 && l.spp == 1 && !l.tiled && l.format == SAMPLEFORMAT_UINT && (l.bits == 8 || l.bits == 16)) {
    fill(static_cast<uint8_t*>(planes[0]));
    if (l.photometric == PHOTOMETRIC_MINISWHITE) {
      if (l.bits == 8) Invert<uint8_t>(planes[0], pixels);
      else Invert<uint16_t>(planes[0], pixels);
    }
    return;
  }
  std::vector<uint8_t> raw(l.raw_bytes);
  fill(raw.data());
  ToPlanes(l, raw.data(), channels, bits, planes);
}

void TiffReader::ToPlanes(const Layout& l, const uint8_t* raw, int channels, int bits, void* const* planes) const {
  if (l.bits == 8 && l.format == SAMPLEFORMAT_UINT) {
    for (int c = 0; c < channels; ++c) {
      uint8_t* dst = static_cast<uint8_t*>(planes[c]);
      const uint8_t flip = l.photometric == PHOTOMETRIC_MINISWHITE && channels == 1 ? 255 : 0;
      for (uint32_t y = 0; y < l.height; ++y) {
        const uint8_t* row = raw + (l.separate ? c * l.plane_bytes : 0) + uint64_t{y} * l.row_bytes;
        if (l.separate) {
          for (uint32_t x = 0; x < l.width; ++x) *dst++ = static_cast<uint8_t>(row[x] ^ flip);
        } else {
          for (uint32_t x = 0; x < l.width; ++x) *dst++ = static_cast<uint8_t>(row[uint64_t{x} * l.spp + c] ^ flip);
        }
      }
    }
    return;
  }
  const double top = std::ldexp(1.0, std::min(l.bits, 16)) - 1.0;
  for (int c = 0; c < channels; ++c) {
    size_t i = 0;
    for (uint32_t y = 0; y < l.height; ++y) {
      for (uint32_t x = 0; x < l.width; ++x, ++i) {
        double v = l.Value(raw, y, x, c);
        if (bits == 32) {
          static_cast<float*>(planes[c])[i] = static_cast<float>(v);
          continue;
        }
        if (l.format == SAMPLEFORMAT_INT) v += (top + 1) / 2;  // signed: -half..half-1 -> 0..top
        v = std::clamp(v, 0.0, top);
        if (bits == 8) static_cast<uint8_t*>(planes[c])[i] = static_cast<uint8_t>(std::lround(v * 255.0 / top));
        else static_cast<uint16_t*>(planes[c])[i] = static_cast<uint16_t>(v);
      }
    }
  }
}

void TiffReader::CheckAgainst(const Layout& l, const PageShape& shape, const std::string& where) const {
  if (l.width != shape.width || l.height != shape.height) {
    throw ImageError(where + " is " + std::to_string(l.width) + " x " + std::to_string(l.height) + ", but page 1 is " +
                     std::to_string(shape.width) + " x " + std::to_string(shape.height) +
                     ". All pages of a volume must have the same size and kind.");
  }
  if (l.kind != PageClass::kGrey && l.kind != PageClass::kColour) return;  // checked once decoded
  const int channels = shape.samples_as_channels ? l.spp : l.kind == PageClass::kGrey ? 1 : 3;
  const bool integer = l.format != SAMPLEFORMAT_IEEEFP;
  const int bits = integer && l.bits <= 8 ? 8 : integer && l.bits == 16 ? 16 : 32;
  if (channels != shape.channels || bits != shape.bits) throw Differs(where, l.kind == PageClass::kGrey ? 1 : 3, shape);
}

const TiffReader::Layout& TiffReader::BlockLayout(uint64_t directory, const PageShape& shape, const std::string& where) {
  messages_->Reset();
  if (!block_layout_ || block_directory_ != directory || TIFFCurrentDirOffset(tif_.get()) != directory) {
    block_layout_.reset();
    SetDirectoryAt(directory, where);
    block_layout_ = std::make_unique<Layout>(ReadLayout(where, shape.samples_as_channels));
    block_directory_ = directory;
  }
  return *block_layout_;
}

PageBlocks TiffReader::BlocksAt(uint64_t directory, const PageShape& shape, const std::string& where) {
  const Layout& l = BlockLayout(directory, shape, where);
  if (l.kind != PageClass::kGrey && l.kind != PageClass::kColour) return {l.width, l.height, 1, 1};
  if (l.tiled)
    return {l.tile_width, l.tile_height, (l.width + l.tile_width - 1) / l.tile_width, (l.height + l.tile_height - 1) / l.tile_height};
  return {l.width, l.rows_per_strip, 1, (l.height + l.rows_per_strip - 1) / l.rows_per_strip};
}

void TiffReader::DecodeBlockAt(uint64_t directory, const PageShape& shape, uint32_t bx, uint32_t by, void* const* planes,
                               const std::string& where) {
  Layout b = BlockLayout(directory, shape, where);
  CheckAgainst(b, shape, where);
  if (b.kind != PageClass::kGrey && b.kind != PageClass::kColour) return DecodeAt(directory, shape, planes, where);
  const PageBlocks blocks = BlocksAt(directory, shape, where);
  if (bx >= blocks.across || by >= blocks.down) throw ImageError(where + " has no block " + std::to_string(bx) + ", " + std::to_string(by));
  TIFF* tif = tif_.get();
  std::vector<uint8_t> raw;
  if (b.tiled) {
    const uint64_t tile_size = TIFFTileSize64(tif);
    const uint64_t tile_row = TIFFTileRowSize64(tif);
    if (tile_row == 0 || tile_row * b.tile_height > tile_size) throw ImageError(where + " has a tile layout that is not supported");
    b.width = b.tile_width;
    b.height = b.tile_height;
    b.row_bytes = tile_row;
    b.plane_bytes = tile_size;
    raw.resize(tile_size * static_cast<uint64_t>(b.planes));
    for (int plane = 0; plane < b.planes; ++plane) {
      const uint32_t tile = TIFFComputeTile(tif, bx * b.tile_width, by * b.tile_height, 0, static_cast<uint16_t>(plane));
      if (TIFFReadEncodedTile(tif, tile, raw.data() + plane * tile_size, static_cast<tmsize_t>(tile_size)) < 0)
        throw ImageError(DecodeFailure(where, "a tile cannot be decoded"));
    }
  } else {
    const uint32_t row0 = by * b.rows_per_strip;
    b.height = std::min(b.rows_per_strip, b.height - row0);
    b.plane_bytes = uint64_t{b.height} * b.row_bytes;
    raw.resize(b.plane_bytes * static_cast<uint64_t>(b.planes));
    for (int plane = 0; plane < b.planes; ++plane) {
      const tmsize_t got = TIFFReadEncodedStrip(tif, static_cast<uint32_t>(plane) * blocks.down + by,
                                                raw.data() + plane * b.plane_bytes, static_cast<tmsize_t>(b.plane_bytes));
      if (got < 0) throw ImageError(DecodeFailure(where, "a strip cannot be decoded"));
      if (static_cast<uint64_t>(got) < b.plane_bytes) throw ImageError(where + " is truncated" + messages_->Reason());
    }
  }
  const int channels = shape.samples_as_channels ? b.spp : b.kind == PageClass::kGrey ? 1 : 3;
  ToPlanes(b, raw.data(), channels, shape.bits, planes);
}

}  // namespace lumetrix::imaging::detail
