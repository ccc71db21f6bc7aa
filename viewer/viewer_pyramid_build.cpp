// The pyramid of a file without one, built while its preview shows.
#include <chrono>
#include <exception>
#include <thread>

#include "core/file_helpers.h"
#include "streaming/pyramid_cache.h"
#include "viewer/hyperstack_view.h"
#include "viewer/viewer.h"
#include "viewer/volume_loader.h"

namespace lumetrix {

void Viewer::FollowPyramidToBuild() {
  pyramid_job_.reset();  // stops the build of the file shown before
  pyramid_percent_shown_ = -1;
  if (volume_.PyramidToBuild.empty()) return;
  pyramid_job_ = std::make_unique<streaming::PyramidBuildJob>(streaming::DefaultPyramidCacheFolder(), pyramid_cache_bound_,
                                                              volume_.PyramidToBuild, volume_.PyramidSeries);
}

void Viewer::WaitForPyramidBuild() {
  if (pyramid_job_) pyramid_job_->Wait();
}

bool Viewer::PollPyramidBuild() {
  if (!pyramid_job_) return false;
  if (!pyramid_job_->Finished()) {
    const int32_t percent = pyramid_job_->Percent();
    if (percent != pyramid_percent_shown_ && !script_running_)
      ShowStatus("Building the pyramid of " + FileNameOf(pyramid_job_->Path()) + " for finer detail: " +
                 std::to_string(percent) + "%");
    pyramid_percent_shown_ = percent;
    return true;
  }
  if (busy_ || script_running_) return true;  // shown once the viewer is free
  ShowBuiltPyramid();
  return false;
}

void Viewer::FinishPyramidForOutput() {
  if (!pyramid_job_) return;
  if (!pyramid_job_->Finished()) {
    ui_.progress.ShowProgress("Building the pyramid", 0, 100);
    while (!pyramid_job_->Finished() && !ui_.progress.Cancelled()) {
      ui_.progress.SetProgress(pyramid_job_->Percent());
      Yield();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ui_.progress.HideProgress();
    if (!pyramid_job_->Finished()) return;
  }
  ShowBuiltPyramid();
  surface_.DrawFrameNow();
}

void Viewer::ShowBuiltPyramid() {
  const std::unique_ptr<streaming::PyramidBuildJob> job = std::move(pyramid_job_);
  if (!job->Entry()) {
    ShowStatus(job->Error() + " The preview stays.");
    return;
  }
  const std::string& path = job->Path();
  VolumeLoadOptions options;
  options.Series = job->Series();
  options.MemoryBudget = memory_budget_.host;
  options.PyramidCacheBound = pyramid_cache_bound_;
  std::string error;
  EnterBusy();
  std::optional<VolumeData> read;
  try {
    read = ReadVolume(path, ImX_, ui_.progress, error, options);
  } catch (const std::exception& e) {
    error = e.what();
  }
  LeaveBusy();
  if (!read || !read->Pyramid) {
    ShowStatus("The pyramid of " + FileNameOf(path) + " was built but cannot be shown" +
               (error.empty() ? std::string(".") : ": " + error) + " The preview stays.");
    return;
  }
  // What the user set on the preview carries over: the two are views of the same file, and
  // their volumes in memory have the same voxel counts.
  if (!(read->Display == volume_.Display) && read->Display.Channels.size() == volume_.Display.Channels.size()) {
    KeepStack(*read);
    if (read->Stack) {
      read->Display = volume_.Display;
      ShowChannels(*read);
    }
  }
  ahead_.reset();
  volume_ = std::move(*read);
  FollowCalibration();
  RebuildTextures();
  ShowStatus(volume_.Note);
  Notify(ViewerChange::Channels);
  Notify(ViewerChange::View);
}

}  // namespace lumetrix
