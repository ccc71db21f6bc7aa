#include "tests/support/tiff_fixture.h"

#include <tiffio.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace lumetrix::test_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "lumetrix-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const { return (path_ / name).string(); }

namespace {

// The first error libtiff reports, for the exception's text.
int Collect(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  auto* text = static_cast<std::string*>(user);
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, fmt, ap);
  if (text->empty()) *text = std::string(module ? module : "") + ": " + buffer;
  return 1;
}

int Ignore(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct Tiff {
  std::string messages;
  TIFF* tif = nullptr;
  Tiff(const std::string& path, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Collect, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Ignore, nullptr);
    tif = TIFFOpenExt(path.c_str(), mode, options);
    TIFFOpenOptionsFree(options);
    if (!tif) throw std::runtime_error("cannot open " + path + ": " + messages);
  }
  ~Tiff() { TIFFClose(tif); }
  [[noreturn]] void Fail(const std::string& what) const { throw std::runtime_error(what + ": " + messages); }
  void GoTo(int page) {
    if (!TIFFSetDirectory(tif, static_cast<tdir_t>(page))) Fail("no page " + std::to_string(page));
  }
};

struct KindInfo {
  int bits, samples, format, photometric;
};

KindInfo InfoOf(const TiffLayout& layout) {
  const int grey = layout.min_is_white ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK;
  switch (layout.samples) {
    case TiffSamples::kGrey1: return {1, 1, SAMPLEFORMAT_UINT, grey};
    case TiffSamples::kGrey4: return {4, 1, SAMPLEFORMAT_UINT, grey};
    case TiffSamples::kGrey8: return {8, 1, SAMPLEFORMAT_UINT, grey};
    case TiffSamples::kGrey16: return {16, 1, SAMPLEFORMAT_UINT, grey};
    case TiffSamples::kGreyInt32: return {32, 1, SAMPLEFORMAT_INT, grey};
    case TiffSamples::kGreyFloat32: return {32, 1, SAMPLEFORMAT_IEEEFP, grey};
    case TiffSamples::kRgb8: return {8, 3, SAMPLEFORMAT_UINT, PHOTOMETRIC_RGB};
    case TiffSamples::kRgba8: return {8, 4, SAMPLEFORMAT_UINT, PHOTOMETRIC_RGB};
    case TiffSamples::kRgb16: return {16, 3, SAMPLEFORMAT_UINT, PHOTOMETRIC_RGB};
    case TiffSamples::kPalette8: return {8, 1, SAMPLEFORMAT_UINT, PHOTOMETRIC_PALETTE};
    case TiffSamples::kPalette4: return {4, 1, SAMPLEFORMAT_UINT, PHOTOMETRIC_PALETTE};
  }
  return {8, 1, SAMPLEFORMAT_UINT, grey};
}

void Store(uint8_t* row, size_t index, const KindInfo& k, double v) {
  if (k.format == SAMPLEFORMAT_IEEEFP) {
    const float f = static_cast<float>(v);
    std::memcpy(row + 4 * index, &f, 4);
    return;
  }
  if (k.format == SAMPLEFORMAT_INT) {
    const auto i = static_cast<int32_t>(std::clamp(std::llround(v), -2147483648LL, 2147483647LL));
    std::memcpy(row + 4 * index, &i, 4);
    return;
  }
  const uint32_t top = k.bits >= 32 ? 0xFFFFFFFFu : (1u << k.bits) - 1;
  const auto u = static_cast<uint32_t>(std::clamp<long long>(std::llround(v), 0, top));
  if (k.bits == 8) {
    row[index] = static_cast<uint8_t>(u);
  } else if (k.bits == 16) {
    const auto s = static_cast<uint16_t>(u);
    std::memcpy(row + 2 * index, &s, 2);
  } else {  // 1 and 4 bits, first pixel in the high bits
    const size_t bit = index * static_cast<size_t>(k.bits);
    row[bit >> 3] = static_cast<uint8_t>(row[bit >> 3] | (u << (8 - k.bits - static_cast<int>(bit & 7))));
  }
}

}  // namespace

void WriteTiff(const std::string& path, const TiffLayout& layout, const SampleFn& sample) {
  const std::string mode = std::string("w") + (layout.big_tiff ? "8" : "") + (layout.big_endian ? "b" : "l");
  Tiff out(path, mode.c_str());
  TIFF* tif = out.tif;
  const KindInfo k = InfoOf(layout);
  const bool separate = layout.planar && k.samples > 1;
  const int planes = separate ? k.samples : 1;
  const int per_pixel = separate ? 1 : k.samples;
  const uint32_t w = static_cast<uint32_t>(layout.width);
  const uint32_t h = static_cast<uint32_t>(layout.height);
  const size_t row_bytes = (size_t{w} * per_pixel * k.bits + 7) / 8;
  const size_t plane_bytes = row_bytes * h;
  // In the order of TiffCompression.
  static constexpr uint16_t kCodes[] = {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                                        COMPRESSION_PACKBITS};
  const uint16_t compression = kCodes[static_cast<int>(layout.compression)];
  std::vector<uint8_t> raw(plane_bytes * planes);
  for (int page = 0; page < layout.pages; ++page) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, k.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, k.samples);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, k.format);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, k.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (layout.lsb_fill_order) TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    if (layout.predictor && (compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE)) {
      TIFFSetField(tif, TIFFTAG_PREDICTOR, k.format == SAMPLEFORMAT_IEEEFP ? PREDICTOR_FLOATINGPOINT
                                                                           : PREDICTOR_HORIZONTAL);
    }
    if (layout.samples == TiffSamples::kRgba8) {
      const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
      TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (k.photometric == PHOTOMETRIC_PALETTE) {
      const size_t n = size_t{1} << k.bits;
      std::vector<uint16_t> r(n), g(n), b(n);
      for (size_t i = 0; i < n; ++i) {
        const std::array<uint16_t, 3> ramp = {static_cast<uint16_t>(i * 257), static_cast<uint16_t>(65535 - i * 257),
                                              static_cast<uint16_t>((i * 97 % 256) * 257)};
        const auto& c = i < layout.palette.size() ? layout.palette[i] : ramp;
        r[i] = c[0], g[i] = c[1], b[i] = c[2];
      }
      TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (layout.pages > 1) {
      TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
      TIFFSetField(tif, TIFFTAG_PAGENUMBER, page, layout.pages);
    }

    std::fill(raw.begin(), raw.end(), 0);
    for (uint32_t y = 0; y < h; ++y) {
      for (uint32_t x = 0; x < w; ++x) {
        for (int c = 0; c < k.samples; ++c) {
          const double v = sample(page, static_cast<int>(x), static_cast<int>(y), c);
          if (separate) {
            Store(raw.data() + c * plane_bytes + y * row_bytes, x, k, v);
          } else {
            Store(raw.data() + y * row_bytes, size_t{x} * k.samples + c, k, v);
          }
        }
      }
    }

    if (layout.tiled) {
      const uint32_t t = static_cast<uint32_t>(layout.tile_size);
      TIFFSetField(tif, TIFFTAG_TILEWIDTH, t);
      TIFFSetField(tif, TIFFTAG_TILELENGTH, t);
      const size_t tile_row = (size_t{t} * per_pixel * k.bits + 7) / 8;
      std::vector<uint8_t> tile(tile_row * t);
      for (int p = 0; p < planes; ++p) {
        for (uint32_t ty = 0; ty < h; ty += t) {
          for (uint32_t tx = 0; tx < w; tx += t) {
            std::fill(tile.begin(), tile.end(), 0);
            const size_t x_byte = size_t{tx} * per_pixel * k.bits / 8;
            const size_t bytes = std::min(tile_row, row_bytes - x_byte);
            for (uint32_t r = 0; r < t && ty + r < h; ++r) {
              std::memcpy(tile.data() + r * tile_row, raw.data() + p * plane_bytes + (ty + r) * row_bytes + x_byte,
                          bytes);
            }
            if (TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, tx, ty, 0, static_cast<uint16_t>(p)), tile.data(),
                                     static_cast<tmsize_t>(tile.size())) < 0) {
              out.Fail("cannot write a tile of " + path);
            }
          }
        }
      }
    } else {
      const uint32_t rps = layout.rows_per_strip > 0 ? static_cast<uint32_t>(layout.rows_per_strip)
                                                   : TIFFDefaultStripSize(tif, 0);
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rps);
      const uint32_t per_plane = (h + rps - 1) / rps;
      for (int p = 0; p < planes; ++p) {
        for (uint32_t s = 0; s < per_plane; ++s) {
          const uint32_t rows = std::min(rps, h - s * rps);
          // libtiff may swap bytes in place, so hand it a copy.
          std::vector<uint8_t> strip(raw.begin() + static_cast<std::ptrdiff_t>(p * plane_bytes + s * rps * row_bytes),
                                     raw.begin() + static_cast<std::ptrdiff_t>(p * plane_bytes + (s * rps + rows) * row_bytes));
          if (TIFFWriteEncodedStrip(tif, p * per_plane + s, strip.data(), static_cast<tmsize_t>(strip.size())) < 0) {
            out.Fail("cannot write a strip of " + path);
          }
        }
      }
    }
    if (!TIFFWriteDirectory(tif)) out.Fail("cannot write a directory of " + path);
  }
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void CopyTruncated(const std::string& from, const std::string& to, uint64_t size) {
  std::vector<uint8_t> bytes = ReadBytes(from);
  if (size < bytes.size()) bytes.resize(size);
  WriteBytes(to, bytes);
}

void PatchBytes(const std::string& path, uint64_t offset, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> all = ReadBytes(path);
  if (offset + bytes.size() > all.size()) throw std::runtime_error("patch beyond the end of " + path);
  std::copy(bytes.begin(), bytes.end(), all.begin() + static_cast<std::ptrdiff_t>(offset));
  WriteBytes(path, all);
}

uint64_t FirstDataOffset(const std::string& path, int page) {
  Tiff in(path, "r");
  in.GoTo(page);
  return TIFFGetStrileOffset(in.tif, 0);
}

std::vector<uint8_t> BuildRawTiff(const std::vector<std::vector<RawTag>>& pages, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out(8 + data.size() + (data.size() % 2), 0);
  out[0] = out[1] = 'I';
  out[2] = 42;
  std::copy(data.begin(), data.end(), out.begin() + 8);
  const auto put = [&](size_t at, uint32_t v, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  size_t link = 4;  // where the offset of the next directory goes
  for (const auto& tags : pages) {
    std::vector<RawTag> sorted = tags;
    std::stable_sort(sorted.begin(), sorted.end(), [](const RawTag& a, const RawTag& b) { return a.tag < b.tag; });
    const size_t ifd = out.size();
    put(link, static_cast<uint32_t>(ifd), 4);
    out.resize(ifd + 2 + 12 * sorted.size() + 4, 0);
    put(ifd, static_cast<uint32_t>(sorted.size()), 2);
    for (size_t i = 0; i < sorted.size(); ++i) {
      const RawTag& t = sorted[i];
      std::vector<uint32_t> values = t.values;
      if (t.tag == 273 || t.tag == 324) {
        for (auto& v : values) v += 8;  // the data follows the header
      }
      const size_t entry = ifd + 2 + 12 * i;
      const size_t unit = t.type == 3 ? 2 : 4;
      put(entry, t.tag, 2);
      put(entry + 2, t.type, 2);
      put(entry + 4, static_cast<uint32_t>(values.size()), 4);
      size_t at = entry + 8;
      if (values.size() * unit > 4) {
        const size_t extra = out.size();
        out.resize(extra + values.size() * unit + (values.size() * unit) % 2, 0);
        put(entry + 8, static_cast<uint32_t>(extra), 4);
        at = extra;
      }
      for (size_t v = 0; v < values.size(); ++v) put(at + unit * v, values[v], unit);
    }
    link = ifd + 2 + 12 * sorted.size();
  }
  return out;
}

int CountTiffPages(const std::string& path) {
  Tiff in(path, "r");
  return static_cast<int>(TIFFNumberOfDirectories(in.tif));
}

TiffPageInfo ReadTiffInfo(const std::string& path, int page) {
  Tiff in(path, "r");
  in.GoTo(page);
  const auto field = [&](uint32_t tag) {
    uint16_t v = 0;
    TIFFGetFieldDefaulted(in.tif, tag, &v);
    return int{v};
  };
  TiffPageInfo info;
  TIFFGetField(in.tif, TIFFTAG_IMAGEWIDTH, &info.width);
  TIFFGetField(in.tif, TIFFTAG_IMAGELENGTH, &info.height);
  uint16_t photometric = 0;
  TIFFGetField(in.tif, TIFFTAG_PHOTOMETRIC, &photometric);
  info.photometric = photometric;
  info.bits = field(TIFFTAG_BITSPERSAMPLE);
  info.samples = field(TIFFTAG_SAMPLESPERPIXEL);
  info.compression = field(TIFFTAG_COMPRESSION);
  info.planar = field(TIFFTAG_PLANARCONFIG) == PLANARCONFIG_SEPARATE;
  info.big_tiff = TIFFIsBigTIFF(in.tif) != 0;
  return info;
}

RgbPage ReadTiffRgb(const std::string& path, int page) {
  Tiff in(path, "r");
  in.GoTo(page);
  RgbPage out;
  uint32_t w = 0, h = 0;
  TIFFGetField(in.tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(in.tif, TIFFTAG_IMAGELENGTH, &h);
  std::vector<uint32_t> raster(size_t{w} * h);
  if (!TIFFReadRGBAImageOriented(in.tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 1)) in.Fail("cannot decode");
  out.width = static_cast<int>(w);
  out.height = static_cast<int>(h);
  out.rgb.reserve(raster.size() * 3);
  for (const uint32_t p : raster) {
    out.rgb.push_back(static_cast<uint8_t>(TIFFGetR(p)));
    out.rgb.push_back(static_cast<uint8_t>(TIFFGetG(p)));
    out.rgb.push_back(static_cast<uint8_t>(TIFFGetB(p)));
  }
  return out;
}

}  // namespace lumetrix::test_support
