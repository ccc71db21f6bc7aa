#pragma once
// The three stacks of slice textures and how they are built from the volume. Needs a current
// OpenGL context.

#include <cstdint>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "render/mipmap_chain.h"
#include "render/texture_slices.h"
#include "viewer/renderer.h"
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

// The image a texture is made from, before mipmapping: what the slice becomes after colouring
// and resampling (blue, green, red, or one grey byte, per pixel; rows top first, unpadded).
// Levels, filled for the upload, are the mipmap levels, bottom row first as OpenGL takes them.
struct SliceImage {
  int32_t Width = 0, Height = 0;
  int Channels = 3;
  std::vector<uint8_t> Pixels;
  std::vector<MipLevel> Levels;
};

// How slices are uploaded: at their own size with our mipmaps (drivers that take any size) or
// through the GLU builder's power-of-two rescale; Steps halvings per side first.
struct UploadShape {
  bool AnySize = true;
  int Steps = 0;
};
// Turns a prepared slice into the levels the upload takes (on any thread).
void MakeUploadLevels(SliceImage& image, const UploadShape& shape);
// Whether the current context takes textures of any size (OpenGL 2.0 or the extension).
bool DriverTakesAnySize();
class SlicePreparer {
 public:
  SlicePreparer(const VolumeData& v, const TextureBuildSettings& s) : v_(v), s_(s) {}
  // Slices of a stack are best asked for in increasing k: XY slices are read in batches, since
  // one page's voxels lie a whole depth apart in the volume.
  void Prepare(Stack stack, int32_t k, SliceImage& out);

 private:
  void ExtractXy(int32_t k, bool grey_only, std::vector<uint8_t>& out);
  void ExtractGrey(Stack stack, int32_t k);

  const VolumeData& v_;
  const TextureBuildSettings& s_;
  int32_t batch_first_ = -1, batch_count_ = 0;
  std::vector<uint8_t> batch_;  // batch_count_ pages of channel planes, page after page
  std::vector<uint8_t> grey_, coloured_;
};

void PrepareSliceImage(const VolumeData& v, Stack stack, int32_t k, const TextureBuildSettings& s, SliceImage& out);

// Builds all three stacks into `out` (which must be empty) with progress; slices are prepared
// on worker threads and uploaded in order. When the textures would not fit the driver or half
// of the available memory, the slices are downsampled by 2 per side until they do. On failure
// (also a volume too large even then) the textures made so far are deleted and
// TextureBuildError carries the reason.
TextureBuildReport BuildTextures(const VolumeData& v, const TextureBuildSettings& s, ProgressSink& progress,
                                 TextureStacks& out);

// The upload of `v`'s stacks (the context current): downsampling steps and the status line in
// `report`; TextureBuildError when even downsampled the textures would not fit.
UploadShape PlanUpload(const VolumeData& v, const TextureBuildSettings& s, TextureBuildReport& report);
// Slices prepared ahead of the upload: enough to keep the workers busy, within about 256 MB.
int32_t SlicesAhead(const VolumeData& v, const TextureBuildSettings& s, Stack stack);

// Uploads one slice's levels (MakeUploadLevels) into texture `name`; OpenGL errors are raised
// as TextureBuildError in words.
void UploadSliceTexture(uint32_t name, const SliceImage& image, const UploadShape& shape);

}  // namespace lumetrix
