#pragma once
// A volume read in pieces: the levels of a multiresolution pyramid (finest first), each read box
// by box on any thread, so that a volume larger than memory shows where the user looks.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/stored_values.h"

namespace lumetrix::streaming {

struct PyramidLevel {
  int32_t width = 1, height = 1, depth = 1;
  // Voxels of the finest level one voxel of this level spans, per axis (x, y, z): 1 at the
  // finest level, whole numbers (usually powers of two; z often stays 1).
  int32_t factor[3] = {1, 1, 1};
  uint64_t Voxels() const { return uint64_t(width) * uint64_t(height) * uint64_t(depth); }
};

// A box of voxels of one level: [x0, x0 + w) x [y0, y0 + h) x [z0, z0 + d); it may reach beyond
// the level, whose edge voxels are then repeated.
struct VoxelBox {
  int32_t x0 = 0, y0 = 0, z0 = 0, w = 0, h = 0, d = 0;
  uint64_t Voxels() const { return uint64_t(w) * uint64_t(h) * uint64_t(d); }
};

class BrickSource {
 public:
  virtual ~BrickSource() = default;
  // Finest first; at least one.
  virtual const std::vector<PyramidLevel>& Levels() const = 0;
  virtual int32_t Channels() const = 0;
  virtual int32_t TimePoints() const = 0;
  // 8 or 16: the samples as held (int16 shifted, float scaled into 16 bits as Values() says).
  virtual int Bits() const = 0;
  virtual imaging::StoredValues Values() const = 0;
  // What the source reads ("cells.zarr"), for messages.
  virtual std::string Name() const = 0;
  // Reads `box` of level `level`, channel `c`, time point `t` into `out`: box.Voxels() samples of
  // Bits() / 8 bytes, x fastest, then rows (top first), then slices. Safe to call from several
  // threads at once. Throws imaging::ImageError with a sentence when the data cannot be read.
  virtual void ReadBox(size_t level, int32_t c, int32_t t, const VoxelBox& box, uint8_t* out) const = 0;
  // Host memory the source keeps for itself (decoded chunks), in bytes.
  virtual uint64_t HeldBytes() const { return 0; }
};

// The factors of `coarse` against `fine` sizes when they are whole numbers within rounding of
// ceil-halving (2048 -> 1024, 1001 -> 501 both count as 2); 0 for an axis where they are not.
int32_t LevelFactor(int32_t fine, int32_t coarse);

}  // namespace lumetrix::streaming
