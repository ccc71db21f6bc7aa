#pragma once
// A volume larger than memory on the GPU: one atlas 3D texture per channel holding the bricks the
// view needs (streaming/), a page table leading each brick of the finest level to the finest
// brick loaded over it, and the host cache whose worker threads load them. Each frame plans the
// bricks, uploads a bounded number of those that arrived (all of them when the frame must be
// complete), and rebuilds the page table when anything changed.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "render/gl_shader_functions.h"
#include "streaming/atlas_slots.h"
#include "streaming/brick_cache.h"
#include "streaming/brick_planner.h"

namespace lumetrix {

// A coarsest level of at most this many bricks is loaded before any frame is drawn.
inline constexpr size_t kWaitedBaseBricks = 64;
// The atlas's slots before a view asks for more.
inline constexpr uint64_t kFirstAtlasSlots = 64;
// Levels the ray caster's program has room for.
inline constexpr size_t kMaxBrickLevels = 16;

struct BrickBudgets {
  uint64_t Host = uint64_t{256} << 20;  // bytes of bricks in host memory
  uint64_t Gpu = uint64_t{256} << 20;   // bytes of the atlas textures
};

class BrickedVolume {
 public:
  // Makes the atlas textures (the context current); throws std::runtime_error with a sentence when
  // the budget holds no brick besides the empty one.
  BrickedVolume(std::shared_ptr<const streaming::BrickSource> source, const BrickBudgets& budgets, int32_t max_3d_size,
                GlShaderFunctions& gl);
  ~BrickedVolume();  // textures are deleted by Release (the context current)
  void Release();

  const streaming::BrickSource& Source() const { return cache_->Source(); }
  // Plans the bricks of `view` (its max_bricks set here), uploads what arrived: at most
  // `per_frame`, or, with `wait`, waits for every brick the plan wants and uploads them all.
  void Update(streaming::BrickView view, bool wait, size_t per_frame = 16);
  // Every brick the last plan wanted is drawn from its own level.
  bool Complete() const { return complete_; }
  // Per channel, the stored value below which a sample adds nothing to the frame (render/
  // ray_thresholds.h): a brick whose every channel lies half a unit or more below it is drawn
  // from the empty slot, and the rays skip it.
  void SetDarkBelow(const std::vector<double>& below);
  // Bricks on the card in slots of their own, and bricks held as empty (in none).
  size_t BricksInSlots() const { return slots_->Held(); }
  size_t EmptyBricks() const { return slots_->HeldEmpty(); }
  // Bricks the last page table led to the empty slot for being dark, though they have one.
  size_t DarkBricks() const { return dark_; }
  int32_t FinestLevel() const { return plan_.finest_level; }
  // The finest level of the bricks the last frame draws (FinestLevel once complete).
  int32_t FinestDrawnLevel() const { return finest_drawn_; }
  const streaming::BrickPlan& Plan() const { return plan_; }
  bool Reduced() const { return plan_.reduced; }
  // "level 2 of 4 shown, loading 45%" while loading; "level 1 of 4 shown" when complete.
  std::string Status() const;
  std::string Error() const { return cache_->Error(); }
  // Binds the atlases to units first, first + 1, ... and the page table to `pages_unit`; sets the
  // program's brick uniforms.
  void Bind(uint32_t program, uint32_t first_unit, uint32_t pages_unit);
  std::array<int32_t, 3> AtlasTexels() const { return atlas_texels_; }
  uint64_t TextureBytes() const { return atlas_bytes_ + page_bytes_; }
  uint64_t HostBytes() const { return cache_->HeldBytes(); }
  int32_t TimePoint() const { return time_point_; }
  void SetTimePoint(int32_t t) { time_point_ = t; }

 private:
  void UploadBrick(const streaming::Brick& brick, int64_t slot);
  bool Dark(const streaming::BrickKey& key) const;
  // Slots per axis for `slots` at most, nearly a cube, each a power of two: the atlas is then 33
  // times a power of two texels a side, for which the shader's coordinates (voxel / side) come
  // back exactly as the voxel when the driver multiplies them by the side again.
  std::array<int32_t, 3> SlotsPerAxis(uint64_t slots) const;
  // A new empty atlas of about `slots` slots (the context current).
  void MakeAtlas(uint64_t slots);

  GlShaderFunctions& gl_;
  std::unique_ptr<streaming::BrickCache> cache_;
  std::unique_ptr<streaming::AtlasSlots> slots_;
  std::vector<uint32_t> atlas_;  // one per channel
  uint32_t pages_ = 0;
  std::array<int32_t, 3> atlas_texels_{0, 0, 0};
  std::array<int32_t, 3> page_count_{1, 1, 1};
  streaming::BrickPlan plan_;
  std::vector<streaming::BrickKey> table_for_;  // the plan the page table was built for
  // Per channel the largest sample of each brick uploaded (bricks long gone are dropped now and
  // then), and the thresholds below which a sample adds nothing.
  std::unordered_map<streaming::BrickKey, std::vector<uint16_t>, streaming::BrickKeyHash> largest_;
  std::vector<double> dark_below_;
  size_t dark_ = 0;
  bool table_dirty_ = true, complete_ = false;
  uint64_t atlas_bytes_ = 0, page_bytes_ = 0;
  uint64_t budget_slots_ = 1;  // what the GPU budget holds
  int32_t per_axis_max_ = 1;
  int32_t time_point_ = 0;
  int32_t finest_drawn_ = 0;
};

}  // namespace lumetrix
