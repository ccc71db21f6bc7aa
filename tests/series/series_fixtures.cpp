#include "tests/series/series_fixtures.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace lumetrix::series::testing {

namespace fs = std::filesystem;

namespace {

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

void SilenceLibtiff() {
  static const bool once = [] {
    TIFFSetWarningHandler(nullptr);
    return true;
  }();
  (void)once;
}

void WritePage(TIFF* tif, int width, int height, int samples, const std::function<void(int, uint8_t*)>& row) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  std::vector<uint8_t> line(static_cast<size_t>(width) * static_cast<size_t>(samples));
  for (int y = 0; y < height; ++y) {
    row(y, line.data());
    if (TIFFWriteScanline(tif, line.data(), static_cast<uint32_t>(y), 0) < 0) throw std::runtime_error("scanline");
  }
  if (!TIFFWriteDirectory(tif)) throw std::runtime_error("directory");
}

TiffPtr OpenForWriting(const std::string& path) {
  SilenceLibtiff();
  TiffPtr tif(TIFFOpen(path.c_str(), "w"));
  if (!tif) throw std::runtime_error("cannot create " + path);
  return tif;
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "lumetrix-series-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::vector<std::string> TempDir::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteGreyTiff(const std::string& path, int width, int height, const GreyFn& value) {
  TiffPtr tif = OpenForWriting(path);
  WritePage(tif.get(), width, height, 1, [&](int y, uint8_t* line) {
    for (int x = 0; x < width; ++x) line[x] = value(x, y);
  });
}

void WriteRgbTiff(const std::string& path, int width, int height, const RgbFn& value) {
  TiffPtr tif = OpenForWriting(path);
  WritePage(tif.get(), width, height, 3, [&](int y, uint8_t* line) {
    for (int x = 0; x < width; ++x) {
      const auto rgb = value(x, y);
      for (int s = 0; s < 3; ++s) line[3 * x + s] = rgb[static_cast<size_t>(s)];
    }
  });
}

void WriteGreyPages(const std::string& path, int width, int height, int pages,
                    const std::function<uint8_t(int, int, int)>& value) {
  TiffPtr tif = OpenForWriting(path);
  for (int p = 0; p < pages; ++p) {
    WritePage(tif.get(), width, height, 1, [&](int y, uint8_t* line) {
      for (int x = 0; x < width; ++x) line[x] = value(p, x, y);
    });
  }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

std::vector<Page> ReadPages(const std::string& path) {
  SilenceLibtiff();
  TiffPtr tif(TIFFOpen(path.c_str(), "r"));
  if (!tif) throw std::runtime_error("libtiff cannot open " + path);
  std::vector<Page> pages;
  do {
    Page page;
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &page.Width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &page.Height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &page.Samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &page.Bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &page.Photometric);
    if (page.Bits != 8 || planar != PLANARCONFIG_CONTIG) throw std::runtime_error("unexpected page layout");
    const size_t row = static_cast<size_t>(page.Width) * page.Samples;
    if (static_cast<size_t>(TIFFScanlineSize(tif.get())) != row) throw std::runtime_error("scanline size");
    page.Data.resize(row * page.Height);
    for (uint32_t y = 0; y < page.Height; ++y) {
      if (TIFFReadScanline(tif.get(), page.Data.data() + row * y, y, 0) < 0) throw std::runtime_error("read row");
    }
    pages.push_back(std::move(page));
  } while (TIFFReadDirectory(tif.get()));
  return pages;
}

}  // namespace lumetrix::series::testing
