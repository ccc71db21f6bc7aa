#include "viewer_ui/time_player.h"

#include <algorithm>
#include <map>

#include "core/view_value.h"
#include "viewer/viewer.h"

namespace lumetrix {
namespace {

// How often a tick whose time point is still being prepared looks again.
constexpr int kPollMs = 5;

std::map<const Viewer*, std::weak_ptr<TimePlayer>>& Players() {
  static std::map<const Viewer*, std::weak_ptr<TimePlayer>> players;
  return players;
}

}  // namespace

std::shared_ptr<TimePlayer> TimePlayer::For(Viewer& viewer) {
  std::weak_ptr<TimePlayer>& slot = Players()[&viewer];
  std::shared_ptr<TimePlayer> player = slot.lock();
  if (!player) slot = player = std::make_shared<TimePlayer>(viewer);
  return player;
}

TimePlayer::TimePlayer(Viewer& viewer) : viewer_(viewer) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
}

TimePlayer::~TimePlayer() {
  auto& players = Players();
  auto it = players.find(&viewer_);
  if (it != players.end() && it->second.expired()) players.erase(it);
}

void TimePlayer::PrepareUpcoming() {
  const int32_t next = model_.Upcoming(viewer_.TimePoint(), viewer_.TimePointCount());
  if (next > 0) viewer_.PrepareTimePoint(next);
}

void TimePlayer::Play() {
  if (!viewer_.VolumeShown() || viewer_.ScriptRunning()) return;
  model_.Play(viewer_.TimePoint(), viewer_.TimePointCount());
  if (model_.Playing()) {
    PrepareUpcoming();
    timer_.start(std::max<int>(0, model_.IntervalMs() - static_cast<int>(shown_.elapsed())));
  }
  emit changed();
}

void TimePlayer::Pause() {
  model_.Pause();
  timer_.stop();
  emit changed();
}

void TimePlayer::Toggle() {
  if (model_.Playing())
    Pause();
  else
    Play();
}

void TimePlayer::SetFramesPerSecond(double fps) {
  model_.SetFramesPerSecond(fps);
  if (timer_.isActive()) timer_.setInterval(model_.IntervalMs());
  emit changed();
}

void TimePlayer::SetLoop(bool on) {
  model_.SetLoop(on);
  emit changed();
}

void TimePlayer::Step() {
  const int32_t count = viewer_.TimePointCount();
  const int32_t next = viewer_.VolumeShown() ? model_.Upcoming(viewer_.TimePoint(), count) : 0;
  // A script running takes the view over: its frames would change time point under it.
  if (next == 0 || viewer_.ScriptRunning()) {
    Pause();
    return;
  }
  // A volume being opened, or a time point still being prepared: the frame waits.
  if (viewer_.Busy() || (viewer_.PrepareTimePoint(next) && !viewer_.TimePointReady(next))) {
    timer_.start(kPollMs);
    return;
  }
  model_.Tick(viewer_.TimePoint(), count);
  shown_.start();  // the next one is due an interval after this one was asked for
  try {
    viewer_.SetTimePoint(next);
  } catch (const InvalidViewValue&) {
    model_.Pause();  // the volume went meanwhile
  }
  if (model_.Playing()) {
    PrepareUpcoming();
    timer_.start(std::max<int>(0, model_.IntervalMs() - static_cast<int>(shown_.elapsed())));
  }
  emit changed();
}

}  // namespace lumetrix
