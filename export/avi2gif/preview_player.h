#pragma once
// The looping preview: plays the document's frames over the screen with their placement,
// transparency and disposal, as a GIF viewer would, wrapping from the last frame to frame 1.

#include <cstdint>

#include "export/gif/dib.h"
#include "export/gif/gif_document.h"

namespace lumetrix::avi2gif {

class PreviewPlayer {
 public:
  // Starts over at frame 1 of `document` (which must outlive the player or be reset with
  // nullptr). `rowsBottomUp`: the frames' first rows are the bottom of the picture.
  void Reset(const gif::cGIF* document, bool rowsBottomUp);
  bool Empty() const { return document_ == nullptr || document_->FramesCount() == 0 || screen_.IsEmpty(); }

  // 1-based; 0 when empty.
  int CurrentFrame() const { return current_; }
  // Shows the next frame (frame 1 after the last, over a fresh screen).
  void Advance();
  // How long the current frame stays: its delay x 10 ms, at least 10 ms.
  int IntervalMs() const;

  // The screen, top row first, 32-bit; the fourth byte is 255 where a frame has drawn and 0
  // where the background shows.
  const gif::cDIB& Screen() const { return screen_; }

 private:
  void Draw(int index);
  void Dispose(int index);
  int32_t ScreenRow(int64_t documentRow) const;

  const gif::cGIF* document_ = nullptr;
  bool bottomUp_ = false;
  int current_ = 0;
  gif::cDIB screen_;
  gif::cDIB saved_;  // the screen before a frame with disposal 3
};

}  // namespace lumetrix::avi2gif
