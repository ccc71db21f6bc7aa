#pragma once
// Renders a keyframe animation of the volume a viewer shows into a movie file, frame by frame:
// the frame's view is set, drawn, read back and handed to the movie. The viewer's view, palette
// and drawing size are put back afterwards.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "export/avi/compression_options.h"
#include "export/gif/reduction_options.h"
#include "viewer/animation/keyframe_track.h"

namespace lumetrix {
class Viewer;
}

namespace lumetrix::animation {

struct MovieRequest {
  std::string Path;  // .mp4, .avi or .gif
  int32_t Width = 0, Height = 0;  // 0: the track's size
  double Fps = 0;                 // 0: the track's rate
  avi::CompressionOptions AviOptions;
  double RateFactor = avi::kMp4RateFactor;
  // GIF only; by default the best-quality reduction without dithering.
  gif::ReductionOptions GifReduction;
  // Called before frame `index` of `count`; false cancels. May be empty.
  std::function<bool(int32_t index, int32_t count)> Progress;
};

enum class MovieStatus { Written, Cancelled, Failed };

struct MovieResult {
  MovieStatus Status = MovieStatus::Failed;
  std::string Error;  // set when Failed
  int32_t Frames = 0;
};

inline constexpr const char* kMsgFirstOpenImage = "First open image";

// Nothing is left under the name unless the result is Written.
MovieResult RenderMovie(Viewer& viewer, const KeyframeTrack& track, const MovieRequest& request);

// Sets the view (and palette, when it names one; channels and time point, when it gives them)
// of a keyframe movie's frame on the viewer. Throws InvalidViewValue for channel settings that
// do not fit the volume.
void ShowFrameView(Viewer& viewer, const FrameView& frame);

// The track with the channel parts and time point it leaves out taken from the volume the
// viewer shows (StartFrom) and its crop limits fitted to the volume (FitCropTo); nothing, with
// `error`, when it does not fit the volume. A palette name that the Palette menu lacks is
// warned of on the viewer's status line, once, and dropped: the palette stays as it was.
std::optional<KeyframeTrack> TrackForVolume(const Viewer& viewer, const KeyframeTrack& track, std::string& error);

}  // namespace lumetrix::animation
