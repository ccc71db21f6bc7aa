#pragma once
// The two frame optimisation passes run before saving: palette compaction drops the global
// palette entries no frame uses; frame cropping cuts every frame to the area where it changes
// the picture and removes frames that change nothing. Both keep what the animation shows.
// Each shows the progress with the frame count as maximum, advances it per frame and hides it.

#include "export/gif/gif_document.h"
#include "core/progress_sink.h"

namespace lumetrix::gif {

// Only when the global palette is present and some frame uses it: keeps the entries that
// pixels (or the transparent index) of the frames without a local palette refer to, in their
// old order, and renumbers those frames' pixels.
void CompactGlobalPalette(cGIF& document, ProgressSink* progress = nullptr);

// Only when every frame covers the whole screen. Without a transparent colour in frame 1 each
// later frame is cut to the rectangle where it differs from the frame before it, and every
// frame that a cut frame is drawn over is set to disposal 1 (do not dispose) so that it stays
// on screen. With a transparent colour t in frame 1 the frames are cut to the bounding box of
// their pixels other than t where that cannot change the picture. A frame that changes nothing
// is removed and its delay added to the frame before it.
void CropFrames(cGIF& document, ProgressSink* progress = nullptr);

}  // namespace lumetrix::gif
