#pragma once
// A pyramid held in memory for the tests of bricked rendering: level 0 as given (8 bits, one
// channel, x fastest), each further level the mean of 2 x 2 x 2 blocks rounded half up (the last
// voxel of an odd side alone), worked out here without the program's code.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "streaming/brick_source.h"

namespace lumetrix::test_support {

class MemoryPyramid : public streaming::BrickSource {
 public:
  MemoryPyramid(std::vector<uint8_t> level0, int32_t w, int32_t h, int32_t d, int levels);
  const std::vector<streaming::PyramidLevel>& Levels() const override { return levels_; }
  int32_t Channels() const override { return 1; }
  int32_t TimePoints() const override { return 1; }
  int Bits() const override { return 8; }
  imaging::StoredValues Values() const override { return {}; }
  std::string Name() const override { return "memory pyramid"; }
  void ReadBox(size_t level, int32_t c, int32_t t, const streaming::VoxelBox& box, uint8_t* out) const override;
  // Level `level`'s samples, x fastest.
  const std::vector<uint8_t>& Samples(size_t level) const { return samples_[level]; }
  // Boxes read so far (from any thread).
  size_t Reads() const { return reads_; }

 private:
  std::vector<streaming::PyramidLevel> levels_;
  std::vector<std::vector<uint8_t>> samples_;
  mutable std::atomic<size_t> reads_{0};
};

}  // namespace lumetrix::test_support
