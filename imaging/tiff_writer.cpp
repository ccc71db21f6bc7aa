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
#include "imaging/tiff_page_encoder.h"

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
  const uint32_t rows_per_strip = RowsPerStrip(w, h, grey);
  SetPageTags(tif, w, h, grey, rows_per_strip);
  std::vector<uint8_t> strip;
  for (uint32_t row0 = 0, s = 0; row0 < h; row0 += rows_per_strip, ++s) {
    StripBytes(image, row0, std::min(rows_per_strip, h - row0), strip);
    if (TIFFWriteEncodedStrip(tif, s, strip.data(), static_cast<tmsize_t>(strip.size())) < 0) return false;
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

void TiffOutput::Open(uint64_t page_budget) {
  if (tif_) return;
  const char* mode = append_ ? "a" : page_budget > kClassicLimit ? "w8" : "w";
  options_ = MakeTiffOptions(&messages_);
  tif_.reset(TIFFOpenExt(staged_.TemporaryPath().c_str(), mode, options_.get()));
  if (!tif_) Fail();
  classic_ = !TIFFIsBigTIFF(tif_.get());
}

void TiffOutput::CheckRoom(uint64_t page_budget) {
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(staged_.TemporaryPath(), ec);
  if (classic_ && size + page_budget > kClassicLimit) RefuseGrowth(target_);
}

void TiffOutput::Add(const Image& source) {
  Image colour;
  const Image* image = &WithoutPalette(source, colour);
  Open(PageBudget(*image));
  CheckRoom(PageBudget(*image));
  if (!WritePage(tif_.get(), *image)) Fail();
}

void TiffOutput::AddEncoded(const EncodedPage& page) {
  const uint64_t budget = page.Bytes() + (uint64_t{1} << 20);
  Open(budget);
  CheckRoom(budget);
  SetPageTags(tif_.get(), page.width, page.height, page.grey, page.rows_per_strip);
  for (size_t s = 0; s < page.strips.size(); ++s) {
    auto& strip = const_cast<std::vector<uint8_t>&>(page.strips[s]);  // libtiff does not write into it
    if (TIFFWriteRawStrip(tif_.get(), static_cast<uint32_t>(s), strip.data(), static_cast<tmsize_t>(strip.size())) < 0)
      Fail();
  }
  if (!TIFFWriteDirectory(tif_.get())) Fail();
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
