#pragma once
// One frame of an animated GIF document: the 8-bit picture, its 1-bit transparency mask, its
// place on the logical screen, timing, disposal and palette.

#include <cstdint>

#include "export/gif/dib.h"
#include "export/gif/rgb_quad.h"

namespace lumetrix::gif {

class clsGIFframe {
 public:
  // GIF disposal methods.
  enum : uint8_t { kDisposalNone = 0, kDoNotDispose = 1, kRestoreBackground = 2, kRestorePrevious = 3 };

  // An 8-bit picture and a 1-bit mask of the size, both cleared to 0, every other field 0.
  // False when the size is outside 1 … 65535.
  bool Create(int32_t width, int32_t height);

  // The picture (normally 8-bit indexed) and the mask (1-bit; bit set = transparent pixel).
  cDIB& FrameDIBXOR() { return image_; }
  const cDIB& FrameDIBXOR() const { return image_; }
  cDIB& FrameDIBAND() { return mask_; }
  const cDIB& FrameDIBAND() const { return mask_; }
  int32_t Width() const { return image_.Width(); }
  int32_t Height() const { return image_.Height(); }

  uint16_t FrameLeft() const { return left_; }
  void SetFrameLeft(uint16_t v) { left_ = v; }
  uint16_t FrameTop() const { return top_; }
  void SetFrameTop(uint16_t v) { top_ = v; }
  bool FrameInterlaced() const { return interlaced_; }
  void SetFrameInterlaced(bool v) { interlaced_ = v; }
  bool FrameUseTransparentColor() const { return useTransparent_; }
  void SetFrameUseTransparentColor(bool v) { useTransparent_ = v; }
  uint8_t FrameTransparentColorIndex() const { return transparentIndex_; }
  void SetFrameTransparentColorIndex(uint8_t v) { transparentIndex_ = v; }
  // Hundredths of a second.
  uint16_t frameDelay() const { return delay_; }
  void SetframeDelay(uint16_t v) { delay_ = v; }
  uint8_t FrameDisposalMethod() const { return disposal_; }
  void SetFrameDisposalMethod(uint8_t v) { disposal_ = v; }
  bool FrameUserInput() const { return userInput_; }
  void SetFrameUserInput(bool v) { userInput_ = v; }

  bool LocalPaletteUsed() const { return localUsed_; }
  void SetLocalPaletteUsed(bool v) { localUsed_ = v; }
  bool LocalPaletteSorted() const { return localSorted_; }
  void SetLocalPaletteSorted(bool v) { localSorted_ = v; }
  int LocalPaletteEntries() const { return localEntries_; }
  void SetLocalPaletteEntries(int entries);  // clamped to 0 … 256
  RGBQuad* lpLocalPalette() { return localPalette_.data(); }
  const RGBQuad* lpLocalPalette() const { return localPalette_.data(); }
  RGBQuad LocalPaletteRGBEntry(int index) const;
  void SetLocalPaletteRGBEntry(int index, RGBQuad colour);
  // Copies `count` entries (the rest become zero) and sets the entry count.
  void SetLocalPalette(const RGBQuad* entries, int count);

  // Rebuilds the mask to the picture's size: a bit is set where the transparent colour is in
  // use and the pixel holds the transparent index.
  void FrameMask();

  // Whether pixel (x, y) of the picture is drawn (not transparent).
  bool Opaque(int32_t x, int32_t y) const {
    return !useTransparent_ || image_.Index(x, y) != transparentIndex_;
  }

 private:
  cDIB image_;
  cDIB mask_;
  uint16_t left_ = 0, top_ = 0;
  bool interlaced_ = false;
  bool useTransparent_ = false;
  uint8_t transparentIndex_ = 0;
  uint16_t delay_ = 0;
  uint8_t disposal_ = 0;
  bool userInput_ = false;
  bool localUsed_ = false, localSorted_ = false;
  int localEntries_ = 0;
  Palette256 localPalette_{};
};

}  // namespace lumetrix::gif
