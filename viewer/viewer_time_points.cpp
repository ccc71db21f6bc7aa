// Time-lapse playback: the next time point prepared on worker threads while the current one
// shows, so that the switch only uploads.
#include "viewer/viewer.h"

namespace lumetrix {

TimePointBuild Viewer::BuildFor(int32_t t) const {
  TimePointBuild b;
  b.Stack = volume_.Stack.get();
  b.Drawer = &surface_.ActiveRenderer();
  b.Display = volume_.Display;
  b.Display.TimePoint = t;
  b.SliceStep = slice_step_;
  b.ScaleX = view_.ScaleX, b.ScaleY = view_.ScaleY, b.ScaleZ = view_.ScaleZ;
  if (catalogue_.UsesTable(volume_.IsGrey)) {
    const palettes::Lut table = catalogue_.CurrentTable();
    b.Table.assign(table.bytes.begin(), table.bytes.end());
  }
  return b;
}

bool Viewer::PrepareTimePoint(int32_t t) {
  if (!VolumeShown() || busy_ || !volume_.Stack) return false;
  if (t < 1 || t > volume_.TimePoints || t == volume_.Display.TimePoint) return false;
  TimePointBuild wanted = BuildFor(t);
  if (ahead_ && ahead_->For == wanted) return true;
  ahead_.reset();
  if (!surface_.MakeCurrent()) return false;
  std::unique_ptr<PreparedVolume> job;
  try {
    job = surface_.ActiveRenderer().PlanVolume(volume_, TextureSettings());
  } catch (const TextureBuildError&) {
    return false;  // SetTimePoint builds it and says why it cannot
  }
  if (!job) return false;
  ahead_ = std::make_unique<TimePointAhead>(volume_, t, std::move(job));
  ahead_->For = std::move(wanted);
  return true;
}

bool Viewer::TimePointReady(int32_t t) const {
  return ahead_ && ahead_->TimePoint() == t && ahead_->Ready() && ahead_->For == BuildFor(t);
}

bool Viewer::ShowPreparedTimePoint(int32_t t) {
  const std::unique_ptr<TimePointAhead> ahead = std::move(ahead_);
  if (!ahead || ahead->TimePoint() != t || !(ahead->For == BuildFor(t))) return false;
  if (viewer_done_ || busy_ || !surface_.MakeCurrent()) return false;
  try {
    ahead->Wait();
    surface_.ActiveRenderer().BuildPrepared(ahead->Job());
  } catch (const std::exception&) {
    return false;  // the plain build says what goes wrong
  }
  VolumeData& next = ahead->Volume();
  volume_.Samples.swap(next.Samples);
  volume_.ChannelMeans.swap(next.ChannelMeans);
  volume_.IsGrey = next.IsGrey;
  volume_.Display.TimePoint = t;
  surface_.ActiveRenderer().ShowBuiltVolume(volume_, view_);
  ++prepared_shown_;
  Notify(ViewerChange::View);
  Notify(ViewerChange::Channels);
  RequestFrameIfShown();
  return true;
}

}  // namespace lumetrix
