#include "export/avi2gif/preview_player.h"

#include <algorithm>

namespace lumetrix::avi2gif {

void PreviewPlayer::Reset(const gif::cGIF* document, bool rowsBottomUp) {
  document_ = document;
  bottomUp_ = rowsBottomUp;
  current_ = 0;
  screen_.Destroy();
  saved_.Destroy();
  if (!document_ || document_->FramesCount() == 0) return;
  if (!screen_.Create(std::max<int32_t>(1, document_->ScreenWidth()), std::max<int32_t>(1, document_->ScreenHeight()),
                      32))
    return;
  current_ = 1;
  Draw(1);
}

int32_t PreviewPlayer::ScreenRow(int64_t documentRow) const {
  if (documentRow < 0 || documentRow >= screen_.Height()) return -1;
  return static_cast<int32_t>(bottomUp_ ? screen_.Height() - 1 - documentRow : documentRow);
}

void PreviewPlayer::Draw(int index) {
  const gif::clsGIFframe& f = document_->Frame(index);
  if (f.FrameDisposalMethod() == gif::clsGIFframe::kRestorePrevious) saved_ = screen_;
  const gif::cDIB& image = f.FrameDIBXOR();
  if (image.BitsPerPixel() != 8) return;
  const gif::RGBQuad* palette = document_->FramePalette(index);
  for (int32_t row = 0; row < image.Height(); ++row) {
    const int32_t sy = ScreenRow(int64_t{f.FrameTop()} + row);
    if (sy < 0) continue;
    const uint8_t* in = image.Row(row);
    uint8_t* out = screen_.Row(sy);
    for (int32_t col = 0; col < image.Width(); ++col) {
      const int64_t sx = int64_t{f.FrameLeft()} + col;
      if (sx >= screen_.Width()) break;
      if (f.FrameUseTransparentColor() && in[col] == f.FrameTransparentColorIndex()) continue;
      const gif::RGBQuad& c = palette[in[col]];
      uint8_t* p = out + sx * 4;
      p[0] = c.blue;
      p[1] = c.green;
      p[2] = c.red;
      p[3] = 255;
    }
  }
}

void PreviewPlayer::Dispose(int index) {
  const gif::clsGIFframe& f = document_->Frame(index);
  switch (f.FrameDisposalMethod()) {
    case gif::clsGIFframe::kRestoreBackground:
      for (int32_t row = 0; row < f.Height(); ++row) {
        const int32_t sy = ScreenRow(int64_t{f.FrameTop()} + row);
        if (sy < 0) continue;
        uint8_t* out = screen_.Row(sy);
        for (int32_t col = 0; col < f.Width(); ++col) {
          const int64_t sx = int64_t{f.FrameLeft()} + col;
          if (sx >= screen_.Width()) break;
          std::fill_n(out + sx * 4, 4, uint8_t{0});
        }
      }
      break;
    case gif::clsGIFframe::kRestorePrevious:
      if (!saved_.IsEmpty()) screen_ = saved_;
      break;
    default:
      break;
  }
}

void PreviewPlayer::Advance() {
  if (Empty()) return;
  const int count = document_->FramesCount();
  if (current_ >= count || current_ < 1) {
    screen_.Fill(0);
    saved_.Destroy();
    current_ = 1;
  } else {
    Dispose(current_);
    ++current_;
  }
  Draw(current_);
}

int PreviewPlayer::IntervalMs() const {
  if (Empty() || current_ < 1) return 0;
  return std::max(10, document_->Frame(current_).frameDelay() * 10);
}

}  // namespace lumetrix::avi2gif
