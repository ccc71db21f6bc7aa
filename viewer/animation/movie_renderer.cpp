#include "viewer/animation/movie_renderer.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <vector>

#include "viewer/animation/channel_keys.h"
#include "viewer/animation/movie_output.h"
#include "viewer/viewer.h"

namespace lumetrix::animation {
namespace {

MovieResult Failed(std::string error) { return {MovieStatus::Failed, std::move(error), 0}; }

std::string CurrentPaletteName(const Viewer& viewer) {
  const auto& entries = viewer.Palettes().Entries();
  const int32_t index = viewer.PaletteIndex();
  return index >= 0 && index < static_cast<int32_t>(entries.size()) ? entries[index].caption : std::string();
}

// Puts the viewer's view, palette, channels and size back however the rendering ends.
class ViewerRestorer {
 public:
  explicit ViewerRestorer(Viewer& viewer)
      : viewer_(viewer),
        view_(viewer.View()),
        palette_(CurrentPaletteName(viewer)),
        display_(viewer.Display()),
        width_(viewer.ScaleWidth()),
        height_(viewer.ScaleHeight()) {}
  ~ViewerRestorer() {
    viewer_.SetClientSize(width_, height_);
    viewer_.ResizeGL(viewer_.ScaleWidth(), viewer_.ScaleHeight());
    try {
      ShowFrameView(viewer_, {view_, palette_, {}, 0});
      viewer_.ShowDisplaySettings(display_);
    } catch (const std::exception&) {
      // The volume went while the movie was made: there is nothing to put back.
    }
  }

 private:
  Viewer& viewer_;
  ViewState view_;
  std::string palette_;
  DisplaySettings display_;
  int32_t width_, height_;
};

}  // namespace

void ShowFrameView(Viewer& viewer, const FrameView& frame) {
  viewer.ShowView(frame.View);
  // Textures are rebuilt only when the palette really switches (names match in any case).
  const std::string current = CurrentPaletteName(viewer);
  const bool same = std::equal(frame.Palette.begin(), frame.Palette.end(), current.begin(), current.end(),
                               [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                           std::tolower(static_cast<unsigned char>(b)); });
  if (!frame.Palette.empty() && !same) viewer.SetPalette(frame.Palette);
  if (!frame.Channels.empty() || frame.TimePoint > 0)
    viewer.ShowDisplaySettings(WithFrame(viewer.Display(), frame.Channels, frame.TimePoint));
}

namespace {

// Keyframes naming a palette that the Palette menu does not have leave the palette as it was;
// each such name is warned of once.
void DropUnknownPalettes(const Viewer& viewer, KeyframeTrack& track) {
  std::vector<std::string> warned;
  for (Keyframe& key : track.Keys) {
    if (key.Palette.empty() || viewer.Palettes().IndexOf(key.Palette) >= 0) continue;
    if (std::find(warned.begin(), warned.end(), key.Palette) == warned.end()) {
      warned.push_back(key.Palette);
      viewer.ShowStatus(Viewer::UnknownPaletteWarning(key.Palette));
    }
    key.Palette.clear();
  }
}

}  // namespace

std::optional<KeyframeTrack> TrackForVolume(const Viewer& viewer, const KeyframeTrack& track, std::string& error) {
  KeyframeTrack resolved = track;
  error = StartFrom(resolved, viewer.Display(), viewer.TimePointCount());
  if (error.empty()) error = PlaneTurnError(resolved);  // keyframes made in the window, not read
  if (!error.empty()) return std::nullopt;
  const VolumeData& volume = viewer.Volume();
  FitCropTo(resolved, {volume.Width, volume.Height, volume.Depth});
  DropUnknownPalettes(viewer, resolved);
  return resolved;
}

MovieResult RenderMovie(Viewer& viewer, const KeyframeTrack& track, const MovieRequest& request) {
  if (!viewer.VolumeShown()) return Failed(kMsgFirstOpenImage);
  const int32_t count = track.FrameCount();
  if (count < 1) return Failed("The animation has no keyframes");
  const int32_t width = request.Width > 0 ? request.Width : track.Width;
  const int32_t height = request.Height > 0 ? request.Height : track.Height;
  const double fps = request.Fps > 0 ? request.Fps : track.Fps;

  std::string error;
  const std::optional<KeyframeTrack> frames = TrackForVolume(viewer, track, error);
  if (!frames) return Failed(error);
  auto output = OpenMovieOutput(request.Path, width, height, fps, request.AviOptions, request.RateFactor,
                                request.GifReduction, error);
  if (!output) return Failed(error);

  ViewerRestorer restore(viewer);
  viewer.SetClientSize(width, height);
  viewer.ResizeGL(viewer.ScaleWidth(), viewer.ScaleHeight());
  if (viewer.ScaleWidth() != width || viewer.ScaleHeight() != height)
    return Failed("The drawing area cannot be made " + std::to_string(width) + " x " + std::to_string(height));
  try {
    for (int32_t f = 0; f < count; ++f) {
      if (request.Progress && !request.Progress(f, count)) return {MovieStatus::Cancelled, "", f};
      // The volume may be closed while the frames are made (the window's event queue runs).
      if (!viewer.VolumeShown()) return Failed(kMsgFirstOpenImage);
      ShowFrameView(viewer, frames->At(f));
      viewer.DrawImage();
      if (!output->Add(viewer.Surface().CaptureFrame(0, 0, width, height), error)) return Failed(error);
    }
  } catch (const std::exception& e) {
    return Failed(e.what());
  }
  if (!output->Finish(error)) return Failed(error);
  return {MovieStatus::Written, "", count};
}

}  // namespace lumetrix::animation
