#include "export/gif/gif_document.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "core/staged_file.h"
#include "export/gif/gif_lzw_encoder.h"
#include "export/gif/round_half_even.h"

namespace lumetrix::gif {

namespace {

using Sink = std::function<bool(const std::vector<uint8_t>&)>;

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// Smallest n >= 1 with 2^n >= entries.
int TableBits(int entries) {
  int n = 1;
  while ((1 << n) < entries && n < 8) ++n;
  return n;
}

void PutColourTable(std::vector<uint8_t>& out, const RGBQuad* palette, int entries, int bits) {
  for (int i = 0; i < (1 << bits); ++i) {
    const RGBQuad e = i < entries ? palette[i] : RGBQuad{};
    out.push_back(e.red);
    out.push_back(e.green);
    out.push_back(e.blue);
  }
}

}  // namespace

void cGIF::SetScreenPixelAspectRatio(double ratio) {
  const double stored = RoundHalfEven(ratio * 64.0 - 15.0);
  aspectByte_ = static_cast<uint8_t>(std::isnan(stored) ? 0.0 : std::clamp(stored, 0.0, 255.0));
}

void cGIF::SetGlobalPaletteEntries(int entries) { globalEntries_ = std::clamp(entries, 0, kPaletteSize); }

RGBQuad cGIF::GlobalPaletteRGBEntry(int index) const {
  if (index < 0 || index >= kPaletteSize) return RGBQuad{};
  return globalPalette_[index];
}

void cGIF::SetGlobalPaletteRGBEntry(int index, RGBQuad colour) {
  if (index >= 0 && index < kPaletteSize) globalPalette_[index] = colour;
}

void cGIF::SetGlobalPalette(const RGBQuad* entries, int count) {
  count = std::clamp(count, 0, kPaletteSize);
  globalPalette_.fill(RGBQuad{});
  if (entries != nullptr) std::copy(entries, entries + count, globalPalette_.begin());
  globalEntries_ = count;
}

clsGIFframe& cGIF::Frame(int index) {
  if (!ValidFrame(index)) throw std::out_of_range("no GIF frame " + std::to_string(index));
  return *frames_[static_cast<size_t>(index - 1)];
}

const clsGIFframe& cGIF::Frame(int index) const {
  if (!ValidFrame(index)) throw std::out_of_range("no GIF frame " + std::to_string(index));
  return *frames_[static_cast<size_t>(index - 1)];
}

const RGBQuad* cGIF::FramePalette(int index) const {
  const clsGIFframe& f = Frame(index);
  return f.LocalPaletteUsed() ? f.lpLocalPalette() : globalPalette_.data();
}

bool cGIF::FrameInsert(int index, int32_t width, int32_t height) {
  if (index < 1 || index > FramesCount() + 1) return false;
  auto frame = std::make_unique<clsGIFframe>();
  if (!frame->Create(width, height)) return false;
  if (frames_.empty()) {
    screenWidth_ = static_cast<uint16_t>(width);
    screenHeight_ = static_cast<uint16_t>(height);
  }
  frames_.insert(frames_.begin() + (index - 1), std::move(frame));
  return true;
}

bool cGIF::FrameRemove(int index) {
  if (!ValidFrame(index)) return false;
  frames_.erase(frames_.begin() + (index - 1));
  return true;
}

bool cGIF::FrameMoveUp(int index) {
  if (!ValidFrame(index) || index == 1) return false;
  std::swap(frames_[static_cast<size_t>(index - 1)], frames_[static_cast<size_t>(index - 2)]);
  return true;
}

bool cGIF::FrameMoveDown(int index) {
  if (!ValidFrame(index) || index == FramesCount()) return false;
  std::swap(frames_[static_cast<size_t>(index - 1)], frames_[static_cast<size_t>(index)]);
  return true;
}

bool cGIF::FrameMask(int index) {
  if (!ValidFrame(index)) return false;
  Frame(index).FrameMask();
  return true;
}

bool cGIF::FrameDraw(int index, cDIB& target, int32_t x, int32_t y) const {
  if (!ValidFrame(index) || target.BitsPerPixel() != 32) return false;
  const clsGIFframe& f = Frame(index);
  const cDIB& image = f.FrameDIBXOR();
  if (image.BitsPerPixel() != 8) return false;
  const RGBQuad* palette = FramePalette(index);
  const int64_t left = int64_t{x} + f.FrameLeft();
  const int64_t top = int64_t{y} + f.FrameTop();
  for (int32_t row = 0; row < image.Height(); ++row) {
    const int64_t ty = top + row;
    if (ty < 0 || ty >= target.Height()) continue;
    const uint8_t* in = image.Row(row);
    uint8_t* out = target.Row(static_cast<int32_t>(ty));
    for (int32_t col = 0; col < image.Width(); ++col) {
      const int64_t tx = left + col;
      if (tx < 0 || tx >= target.Width()) continue;
      if (f.FrameUseTransparentColor() && in[col] == f.FrameTransparentColorIndex()) continue;
      const RGBQuad& e = palette[in[col]];
      uint8_t* p = out + tx * 4;
      p[0] = e.blue;
      p[1] = e.green;
      p[2] = e.red;
    }
  }
  return true;
}

void cGIF::Destroy() { *this = cGIF{}; }

namespace {

bool WriteDocument(const cGIF& doc, const Sink& sink, std::string* error) {
  for (int i = 1; i <= doc.FramesCount(); ++i) {
    if (doc.Frame(i).FrameDIBXOR().BitsPerPixel() != 8) {
      if (error) *error = "frame " + std::to_string(i) + " has no 8-bit picture";
      return false;
    }
  }
  std::vector<uint8_t> out;
  out.reserve(1 << 16);
  const char* signature = "GIF89a";
  out.insert(out.end(), signature, signature + 6);

  const bool global = doc.GlobalPaletteExists();
  const int g = TableBits(doc.GlobalPaletteEntries());
  Put16(out, doc.ScreenWidth());
  Put16(out, doc.ScreenHeight());
  out.push_back(global ? static_cast<uint8_t>(0x80 | ((g - 1) << 4) | (doc.GlobalPaletteSorted() ? 0x08 : 0) | (g - 1))
                       : uint8_t{0});
  out.push_back(doc.ScreenBackgroundColorIndex());
  out.push_back(doc.ScreenPixelAspectByte());
  if (global) PutColourTable(out, doc.lpGlobalPalette(), doc.GlobalPaletteEntries(), g);

  if (doc.FramesCount() > 0) {
    static constexpr uint8_t kLoopHead[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1};
    out.insert(out.end(), std::begin(kLoopHead), std::end(kLoopHead));
    Put16(out, doc.AnimationLoops());
    out.push_back(0);
  }

  mGIFLZWEnc encoder;
  for (int i = 1; i <= doc.FramesCount(); ++i) {
    const clsGIFframe& f = doc.Frame(i);
    const cDIB& image = f.FrameDIBXOR();
    // Graphic control extension. The disposal method has three bits.
    out.insert(out.end(), {0x21, 0xF9, 4});
    out.push_back(static_cast<uint8_t>(((f.FrameDisposalMethod() & 7) << 2) | (f.FrameUserInput() ? 2 : 0) |
                                       (f.FrameUseTransparentColor() ? 1 : 0)));
    Put16(out, f.frameDelay());
    out.push_back(f.FrameUseTransparentColor() ? f.FrameTransparentColorIndex() : uint8_t{0});
    out.push_back(0);

    const bool local = f.LocalPaletteUsed();
    const int l = TableBits(f.LocalPaletteEntries());
    // Only pictures taller than 4 rows are written in interlace passes; the flag says so.
    const bool interlaced = f.FrameInterlaced() && image.Height() > 4;
    out.push_back(0x2C);
    Put16(out, f.FrameLeft());
    Put16(out, f.FrameTop());
    Put16(out, static_cast<uint16_t>(image.Width()));
    Put16(out, static_cast<uint16_t>(image.Height()));
    out.push_back(static_cast<uint8_t>((local ? 0x80 : 0) | (interlaced ? 0x40 : 0) |
                                       (local && f.LocalPaletteSorted() ? 0x20 : 0) | (local ? l - 1 : g - 1)));
    if (local) PutColourTable(out, f.lpLocalPalette(), f.LocalPaletteEntries(), l);
    encoder.WriteImageData(image, interlaced, std::max(local ? l : g, 2), out);
    if (!sink(out)) return false;
    out.clear();
  }
  out.push_back(0x3B);
  return sink(out);
}

}  // namespace

bool cGIF::Encode(std::vector<uint8_t>& out, std::string* error) const {
  out.clear();
  return WriteDocument(*this, [&out](const std::vector<uint8_t>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
    return true;
  }, error);
}

bool cGIF::Save(const std::string& fileName, std::string* error) const {
  std::vector<uint8_t> bytes;
  if (!Encode(bytes, error)) return false;
  const std::string reason = WriteFileStaged(fileName, bytes);
  if (!reason.empty() && error) *error = reason;
  return reason.empty();
}

}  // namespace lumetrix::gif
