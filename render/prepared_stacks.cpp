#include "render/prepared_stacks.h"

#include <GL/gl.h>

#include <new>

#include "render/slice_workers.h"

namespace lumetrix {
namespace {

constexpr std::array<Stack, 3> kStacks = {Stack::XY, Stack::YZ, Stack::XZ};

}  // namespace

PreparedStacks::PreparedStacks(const VolumeData& v, const TextureBuildSettings& s) : settings_(s) {
  settings_.EnsureCurrent = {};  // preparing needs no context
  shape_ = PlanUpload(v, settings_, report_);
  for (size_t i = 0; i < kStacks.size(); ++i) reserved_[i] = LayoutOf(v, kStacks[i], s.SliceStep).Reserved;
}

void PreparedStacks::Prepare(const VolumeData& v, const std::atomic<bool>& stop) {
  for (size_t i = 0; i < kStacks.size(); ++i) {
    const StackLayout l = LayoutOf(v, kStacks[i], settings_.SliceStep);
    if (l.Reserved != reserved_[i]) throw TextureBuildError("The volume changed its shape while it was prepared.");
    slices_[i].clear();
    if (l.Count <= 0) continue;
    slices_[i].reserve(static_cast<size_t>(l.Count));
    SliceWorkers workers(v, settings_, kStacks[i], l.Count, shape_, SlicesAhead(v, settings_, kStacks[i]));
    for (int32_t k = 0; k < l.Count; ++k) {
      if (stop) throw TextureBuildError("Preparing the textures was stopped.");
      slices_[i].push_back(workers.Take(k));
    }
  }
  prepared_ = true;
}

void PreparedStacks::Upload(TextureStacks& out) {
  if (!prepared_) throw TextureBuildError("The textures were not prepared.");
  try {
    for (size_t i = 0; i < kStacks.size(); ++i) {
      std::vector<uint32_t>& names = out.Of(kStacks[i]);
      names.assign(static_cast<size_t>(reserved_[i]) + 1, 0);
      if (reserved_[i] > 0) glGenTextures(reserved_[i], names.data());
      for (size_t k = 0; k < slices_[i].size(); ++k) {
        UploadSliceTexture(names[k], slices_[i][k], shape_);
        std::vector<MipLevel>().swap(slices_[i][k].Levels);  // the driver keeps its own copy
      }
    }
  } catch (const std::bad_alloc&) {
    out.Release();
    throw TextureBuildError("There is not enough memory to build the textures.");
  } catch (...) {
    out.Release();
    throw;
  }
}

}  // namespace lumetrix
