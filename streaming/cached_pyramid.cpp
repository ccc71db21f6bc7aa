#include "streaming/cached_pyramid.h"

#include <fstream>
#include <sstream>

#include "imaging/image_box.h"
#include "streaming/pyramid_metadata.h"
#include "streaming/zarr_brick_source.h"

namespace lumetrix::streaming {
namespace {

// The Zarr source with the values the cache recorded.
class CachedPyramid : public BrickSource {
 public:
  CachedPyramid(std::unique_ptr<BrickSource> zarr, imaging::StoredValues values, std::string name)
      : zarr_(std::move(zarr)), values_(values), name_(std::move(name)) {}
  const std::vector<PyramidLevel>& Levels() const override { return zarr_->Levels(); }
  int32_t Channels() const override { return zarr_->Channels(); }
  int32_t TimePoints() const override { return zarr_->TimePoints(); }
  int Bits() const override { return zarr_->Bits(); }
  imaging::StoredValues Values() const override { return values_; }
  std::string Name() const override { return name_; }
  void ReadBox(size_t level, int32_t c, int32_t t, const VoxelBox& box, uint8_t* out) const override {
    zarr_->ReadBox(level, c, t, box, out);
  }
  uint64_t HeldBytes() const override { return zarr_->HeldBytes(); }

 private:
  std::unique_ptr<BrickSource> zarr_;
  imaging::StoredValues values_;
  std::string name_;
};

}  // namespace

std::unique_ptr<BrickSource> OpenCachedPyramid(const std::string& entry, uint64_t cache_bytes) {
  std::ifstream in(entry + "/.zattrs", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) throw imaging::ImageError("the pyramid in " + entry + " has no .zattrs");
  const PyramidAttributes a = ReadPyramidAttributes(text.str(), ".zattrs of " + entry);
  std::unique_ptr<BrickSource> zarr = OpenZarrBrickSource(entry, cache_bytes);
  if (zarr->Bits() != a.values.bits && a.values.format == imaging::SampleFormat::kUnsigned && a.values.bits <= 16)
    throw imaging::ImageError("the pyramid in " + entry + " holds other samples than its metadata says");
  return std::make_unique<CachedPyramid>(std::move(zarr), a.values, a.name.empty() ? entry : a.name);
}

}  // namespace lumetrix::streaming
