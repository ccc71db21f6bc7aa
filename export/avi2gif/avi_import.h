#pragma once
// The AVI import (mAVIImp): every frame of the movie's first video stream is decoded, turned
// for "SwapRG" and flipped when asked, reduced to 8 bits with the current palette and dither
// modes (the palette made from frame 1) and appended to the GIF document.

#include <cstdint>
#include <string>

#include "core/progress_sink.h"
#include "export/gif/dither8bpp.h"
#include "export/gif/gif_document.h"

namespace lumetrix::avi2gif {

// The most memory the frames of one document may take (8-bit pictures and 1-bit masks); a
// movie that needs more is refused before anything is allocated.
inline constexpr int64_t kMaxDocumentBytes = int64_t{2} << 30;

enum class ImportStatus { Ok, Failed, Cancelled };

struct ImportSettings {
  bool SwapRG = false;
  // False: the frames' rows lie bottom row first, as the movie's bitmaps do (the preview).
  // True: top row first, the order the GIF encoder writes (saving).
  bool Flip = false;
  // The best-quality reduction (BestPalette) instead of the dither module's palette mode, with
  // its dither mode: the movie is read twice, once to gather its colours.
  bool BestPalette = false;
};

struct ImportResult {
  ImportStatus Status = ImportStatus::Failed;
  int32_t Frames = 0;          // frames in the document
  int32_t TimePerFrameMs = 0;  // the movie's length over its frame count
  std::string Detail;          // why it failed, for the command line
  bool Ok() const { return Status == ImportStatus::Ok; }
};

// Empties the document first. On success the document holds one frame per movie frame
// (disposal 3, delay in hundredths of the time per frame, the palette as local copy) and the
// palette as its global palette, screen = frame size, pixel aspect 1.0. On failure or cancel
// the document is left empty, so that a half-read movie is never saved. `progress` (may be null)
// shows one step per frame and is asked after every frame whether to stop.
ImportResult ImportAvi(const std::string& path, gif::cGIF& document, gif::mDither8bpp& dither,
                       const ImportSettings& settings, ProgressSink* progress = nullptr);

// Bytes the frames of a document of this size take (64-bit; no overflow for any 32-bit input).
int64_t DocumentBytes(int64_t frames, int32_t width, int32_t height);

}  // namespace lumetrix::avi2gif
