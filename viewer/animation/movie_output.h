#pragma once
// Where the frames of a keyframe movie go, chosen by the file name: ".mp4" H.264 MP4, ".avi"
// AVI with a catalogued codec, ".gif" an animated GIF. Each writes through the staged writer:
// nothing appears under the name until Finish succeeds, and an output dropped before that
// leaves nothing behind.

#include <memory>
#include <string>

#include "export/avi/compression_options.h"
#include "export/gif/reduction_options.h"
#include "viewer/frame_bmp.h"

namespace lumetrix::animation {

class MovieOutput {
 public:
  virtual ~MovieOutput() = default;
  // The frame as captured (bottom row first, BGR); false with `error` when it cannot be added.
  virtual bool Add(const CapturedFrame& frame, std::string& error) = 0;
  // Closes the movie and gives it its name.
  virtual bool Finish(std::string& error) = 0;
};

// Whether OpenMovieOutput writes `path` as an animated GIF (its extension, in any case).
bool IsGifMovieName(const std::string& path);

// Nothing, with `error`, for a name of another kind or a file that cannot be made. `aviOptions`
// apply to AVI only; MP4 uses H.264 at `rateFactor`; GIF frames are reduced as `gifReduction` says.
std::unique_ptr<MovieOutput> OpenMovieOutput(const std::string& path, int32_t width, int32_t height, double fps,
                                             const avi::CompressionOptions& aviOptions, double rateFactor,
                                             const gif::ReductionOptions& gifReduction, std::string& error);

}  // namespace lumetrix::animation
