#pragma once
// An animated GIF document: the logical screen, the global palette and a 1-based list of
// frames, written as a GIF89a file with a looping block.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/gif/dib.h"
#include "export/gif/gif_frame.h"
#include "export/gif/rgb_quad.h"

namespace lumetrix::gif {

class cGIF {
 public:
  cGIF() = default;

  uint16_t ScreenWidth() const { return screenWidth_; }
  void SetScreenWidth(uint16_t v) { screenWidth_ = v; }
  uint16_t ScreenHeight() const { return screenHeight_; }
  void SetScreenHeight(uint16_t v) { screenHeight_ = v; }
  uint8_t ScreenBackgroundColorIndex() const { return backgroundIndex_; }
  void SetScreenBackgroundColorIndex(uint8_t v) { backgroundIndex_ = v; }
  // Setting r stores round(r × 64 − 15) (clamped to 0 … 255); reading gives (byte + 15) / 64.
  double ScreenPixelAspectRatio() const { return (aspectByte_ + 15) / 64.0; }
  void SetScreenPixelAspectRatio(double ratio);
  uint8_t ScreenPixelAspectByte() const { return aspectByte_; }
  // 0 = endless.
  uint16_t AnimationLoops() const { return loops_; }
  void SetAnimationLoops(uint16_t v) { loops_ = v; }

  bool GlobalPaletteExists() const { return globalExists_; }
  void SetGlobalPaletteExists(bool v) { globalExists_ = v; }
  bool GlobalPaletteSorted() const { return globalSorted_; }
  void SetGlobalPaletteSorted(bool v) { globalSorted_ = v; }
  int GlobalPaletteEntries() const { return globalEntries_; }
  void SetGlobalPaletteEntries(int entries);  // clamped to 0 … 256
  RGBQuad* lpGlobalPalette() { return globalPalette_.data(); }
  const RGBQuad* lpGlobalPalette() const { return globalPalette_.data(); }
  RGBQuad GlobalPaletteRGBEntry(int index) const;
  void SetGlobalPaletteRGBEntry(int index, RGBQuad colour);
  // Copies `count` entries (the rest become zero) and sets the entry count.
  void SetGlobalPalette(const RGBQuad* entries, int count);

  int FramesCount() const { return static_cast<int>(frames_.size()); }
  // Frame `index`, 1-based; throws std::out_of_range for other numbers.
  clsGIFframe& Frame(int index);
  const clsGIFframe& Frame(int index) const;
  // The colours frame `index` is shown with: its local palette when used, else the global one.
  const RGBQuad* FramePalette(int index) const;

  // Inserts a frame at index 1 … FramesCount() + 1 (later frames move one place down) with an
  // 8-bit picture and a 1-bit mask of the size, cleared to 0, every other field 0. The first
  // frame also sets the screen size. False for a bad index or size.
  bool FrameInsert(int index, int32_t width, int32_t height);
  bool FrameRemove(int index);
  // Swaps the frame with the one before / after it; false at the ends.
  bool FrameMoveUp(int index);
  bool FrameMoveDown(int index);
  // Rebuilds the frame's mask from its transparent index.
  bool FrameMask(int index);
  // Draws the frame, placed at its left and top, onto a 32-bit bitmap whose pixel (x, y) is
  // screen position (0, 0); transparent pixels are left alone, nothing outside is touched.
  bool FrameDraw(int index, cDIB& target, int32_t x, int32_t y) const;
  // Empties the document.
  void Destroy();

  // Writes the document as a GIF89a file. False, with the file untouched (an older file of
  // the name stays as it was), when it cannot be written or a frame has no 8-bit picture.
  bool Save(const std::string& fileName, std::string* error = nullptr) const;
  // The same bytes in memory.
  bool Encode(std::vector<uint8_t>& out, std::string* error = nullptr) const;

 private:
  bool ValidFrame(int index) const { return index >= 1 && index <= FramesCount(); }

  uint16_t screenWidth_ = 0, screenHeight_ = 0;
  uint8_t backgroundIndex_ = 0;
  uint8_t aspectByte_ = 0;
  uint16_t loops_ = 0;
  bool globalExists_ = false, globalSorted_ = false;
  int globalEntries_ = 0;
  Palette256 globalPalette_{};
  std::vector<std::unique_ptr<clsGIFframe>> frames_;
};

}  // namespace lumetrix::gif
