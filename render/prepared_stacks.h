#pragma once
// The three slice stacks of a volume prepared on worker threads ahead of their upload (the next
// time point while the current one shows), and their upload.

#include <array>
#include <atomic>
#include <vector>

#include "render/texture_stacks.h"
#include "viewer/renderer.h"

namespace lumetrix {

class PreparedStacks : public PreparedVolume {
 public:
  // Plans the upload of volumes shaped as `v` (the context current; see PlanUpload).
  PreparedStacks(const VolumeData& v, const TextureBuildSettings& s);
  // Every slice of every stack, made ready for MakeUploadLevels' upload.
  void Prepare(const VolumeData& v, const std::atomic<bool>& stop) override;
  // Uploads the prepared slices into `out` (empty; the context current); on failure the textures
  // made so far are deleted and TextureBuildError carries the reason.
  void Upload(TextureStacks& out);

  const TextureBuildReport& Report() const { return report_; }
  int32_t SliceStep() const { return settings_.SliceStep; }

 private:
  TextureBuildSettings settings_;
  TextureBuildReport report_;
  UploadShape shape_;
  std::array<int32_t, 3> reserved_{};  // texture names of each stack
  std::array<std::vector<SliceImage>, 3> slices_;
  bool prepared_ = false;
};

}  // namespace lumetrix
