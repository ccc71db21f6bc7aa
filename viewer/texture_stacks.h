#pragma once
// The three stacks of slice textures and how they are built from the volume. Needs a current
// OpenGL context.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "core/progress_sink.h"
#include "viewer/texture_slices.h"
#include "viewer/volume_data.h"

namespace lumetrix {

struct TextureStacks {
  // OpenGL texture names; each array has one slot more than the names reserved.
  std::vector<uint32_t> XY, YZ, XZ;
  std::vector<uint32_t>& Of(Stack s) { return s == Stack::XY ? XY : s == Stack::YZ ? YZ : XZ; }
  const std::vector<uint32_t>& Of(Stack s) const { return s == Stack::XY ? XY : s == Stack::YZ ? YZ : XZ; }
  bool Empty() const { return XY.empty() && YZ.empty() && XZ.empty(); }
  // Deletes the textures (the context that made them must be current) and empties the arrays.
  void Release();
};

// Colours a grey slice through the chosen lookup table: from width x height grey bytes to the
// blue, green, red image the table gives, `columns` wide (the width rounded up to 4, the extra
// columns showing table entry 32).
using SliceColourer =
    std::function<void(const std::vector<uint8_t>& grey, int32_t width, int32_t height, std::vector<uint8_t>& bgr,
                       int32_t& columns)>;

struct TextureBuildSettings {
  int32_t SliceStep = 4;
  float ScaleX = 30, ScaleY = 30, ScaleZ = 100;
  SliceColourer Colourer;  // empty: no table
  // Called after each progress report, which may have let other windows draw: makes the
  // context that receives the textures current again.
  std::function<bool()> EnsureCurrent;
};

class TextureBuildError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The image a texture is made from, before mipmapping: what the slice becomes after colouring
// and resampling (blue, green, red, rows top first, unpadded).
struct SliceImage {
  int32_t Width = 0, Height = 0;
  std::vector<uint8_t> Bgr;
};
class SlicePreparer {
 public:
  SlicePreparer(const VolumeData& v, const TextureBuildSettings& s) : v_(v), s_(s) {}
  // Slices of a stack are best asked for in increasing k: XY slices are read in batches, since
  // one page's voxels lie a whole depth apart in the volume.
  void Prepare(Stack stack, int32_t k, SliceImage& out);

 private:
  void ExtractXy(int32_t k, bool grey_only, std::vector<uint8_t>& out);

  const VolumeData& v_;
  const TextureBuildSettings& s_;
  int32_t batch_first_ = -1, batch_count_ = 0;
  std::vector<uint8_t> batch_;  // batch_count_ pages of channel planes, page after page
  std::vector<uint8_t> grey_, coloured_;
};

void PrepareSliceImage(const VolumeData& v, Stack stack, int32_t k, const TextureBuildSettings& s, SliceImage& out);

// Builds all three stacks into `out` (which must be empty) with progress. On failure the
// textures made so far are deleted and TextureBuildError carries the reason.
void BuildTextures(const VolumeData& v, const TextureBuildSettings& s, ProgressSink& progress, TextureStacks& out);

// Uploads one slice image as a mipmapped RGB texture into the bound texture name.
void UploadSliceTexture(uint32_t name, const SliceImage& image);

}  // namespace lumetrix
