#include "render/bricked_volume.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "render/volume_texture.h"

namespace lumetrix {

using streaming::kBrickSlot;

namespace {

// Whether every sample of the brick, border and all, in every channel, is zero.
bool AllZero(const streaming::Brick& brick) {
  return std::all_of(brick.largest.begin(), brick.largest.end(), [](uint16_t most) { return most == 0; });
}

}  // namespace

BrickedVolume::BrickedVolume(std::shared_ptr<const streaming::BrickSource> source, const BrickBudgets& budgets,
                             int32_t max_3d_size, GlShaderFunctions& gl)
    : gl_(gl) {
  cache_ = std::make_unique<streaming::BrickCache>(std::move(source), budgets.Host);
  const streaming::BrickSource& s = cache_->Source();
  if (s.Levels().size() > kMaxBrickLevels)
    throw std::runtime_error(s.Name() + " has " + std::to_string(s.Levels().size()) + " levels; at most " +
                             std::to_string(kMaxBrickLevels) + " can be shown.");
  // The atlas holds at most as many slots as the budget, at most what the driver's 3D texture
  // side and the page table's bytes allow per axis; it starts small and grows as views need more
  // (a driver may fill a new texture with zeros, which for the whole budget would delay the first
  // picture).
  budget_slots_ = std::max<uint64_t>(budgets.Gpu / cache_->BrickBytes(), 1);
  per_axis_max_ = std::clamp(max_3d_size / kBrickSlot, 1, 256);
  const std::array<int32_t, 3> most = SlotsPerAxis(budget_slots_);
  budget_slots_ = std::min<uint64_t>(budget_slots_, uint64_t(most[0]) * most[1] * most[2]);
  if (budget_slots_ < 2)
    throw std::runtime_error("The memory budget for the graphics card holds no part of " + s.Name() +
                             "; raise it in Preferences or with --memory.");
  const auto& finest = s.Levels().front();
  page_count_ = {streaming::BricksAlong(finest.width), streaming::BricksAlong(finest.height),
                 streaming::BricksAlong(finest.depth)};
  MakeAtlas(std::min<uint64_t>(budget_slots_, kFirstAtlasSlots));
  pages_ = NewVolumeTexture(GL_NEAREST, GL_CLAMP_TO_EDGE);
  const std::vector<uint8_t> empty(size_t(page_count_[0]) * page_count_[1] * page_count_[2] * 4, 0);
  gl_.TexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8, page_count_[0], page_count_[1], page_count_[2], 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, empty.data());
  page_bytes_ = empty.size();
  glBindTexture(GL_TEXTURE_3D, 0);
}

BrickedVolume::~BrickedVolume() = default;

std::array<int32_t, 3> BrickedVolume::SlotsPerAxis(uint64_t slots) const {
  std::array<int32_t, 3> per{1, 1, 1};
  for (bool grew = true; grew;) {
    grew = false;
    for (int32_t& n : per) {
      const uint64_t product = uint64_t(per[0]) * per[1] * per[2];
      if (2 * n <= per_axis_max_ && 2 * product <= slots) n *= 2, grew = true;
    }
  }
  return per;
}

void BrickedVolume::MakeAtlas(uint64_t slots) {
  const streaming::BrickSource& s = Source();
  // A driver keeps a texture that frames still being drawn use: they finish first, so that the
  // old atlas is gone before the new one takes its memory.
  if (!atlas_.empty()) {
    glFinish();
    glDeleteTextures(static_cast<GLsizei>(atlas_.size()), atlas_.data());
  }
  atlas_.clear();
  const std::array<int32_t, 3> per = SlotsPerAxis(slots);
  slots_ = std::make_unique<streaming::AtlasSlots>(per);  // every brick to be uploaded again
  table_dirty_ = true;
  for (int a = 0; a < 3; ++a) atlas_texels_[size_t(a)] = per[size_t(a)] * kBrickSlot;
  const bool wide = s.Bits() == 16;
  const std::vector<uint8_t> zeros(streaming::kBrickSlotVoxels * (wide ? 2 : 1), 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  atlas_bytes_ = 0;
  for (int32_t c = 0; c < s.Channels(); ++c) {
    // Samples never leave their slot, so the wrap is never used: mirrored, as the whole volume's
    // texture, puts Mesa's llvmpipe on the same filtering path (float weights) for both.
    const GLuint name = NewVolumeTexture(GL_LINEAR, GL_MIRRORED_REPEAT);
    gl_.TexImage3D(GL_TEXTURE_3D, 0, wide ? GL_LUMINANCE16 : GL_LUMINANCE8, atlas_texels_[0], atlas_texels_[1],
                   atlas_texels_[2], 0, GL_LUMINANCE, wide ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE, nullptr);
    // Slot 0 is what regions with nothing loaded are drawn from.
    gl_.TexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, 0, kBrickSlot, kBrickSlot, kBrickSlot, GL_LUMINANCE,
                      wide ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE, zeros.data());
    atlas_.push_back(name);
    atlas_bytes_ += uint64_t(atlas_texels_[0]) * atlas_texels_[1] * atlas_texels_[2] * (wide ? 2 : 1);
  }
  glBindTexture(GL_TEXTURE_3D, 0);
}

void BrickedVolume::Release() {
  if (!atlas_.empty()) glDeleteTextures(static_cast<GLsizei>(atlas_.size()), atlas_.data());
  atlas_.clear();
  if (pages_) glDeleteTextures(1, &pages_);
  pages_ = 0;
  atlas_bytes_ = page_bytes_ = 0;
}

void BrickedVolume::UploadBrick(const streaming::Brick& brick, int64_t slot) {
  const auto at = slots_->Coords(slot);
  const int bits = Source().Bits();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (size_t c = 0; c < atlas_.size(); ++c) {
    glBindTexture(GL_TEXTURE_3D, atlas_[c]);
    gl_.TexSubImage3D(GL_TEXTURE_3D, 0, at[0] * kBrickSlot, at[1] * kBrickSlot, at[2] * kBrickSlot, kBrickSlot,
                      kBrickSlot, kBrickSlot, GL_LUMINANCE, bits == 16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE,
                      brick.Channel(int32_t(c), bits));
  }
  glBindTexture(GL_TEXTURE_3D, 0);
}

void BrickedVolume::Update(streaming::BrickView view, bool wait, size_t per_frame) {
  view.t = time_point_;
  view.max_bricks = std::min<uint64_t>(cache_->Capacity(), budget_slots_ - 1);
  plan_ = streaming::PlanBricks(Source().Levels(), view);
  cache_->Want(plan_.wanted);
  // The coarsest level is what everything else is drawn from until it arrives: a frame waits for
  // it when it is a few bricks, so that no frame shows a hole.
  const int32_t coarsest = static_cast<int32_t>(Source().Levels().size()) - 1;
  std::vector<streaming::BrickKey> base;
  for (const streaming::BrickKey& k : plan_.wanted)
    if (k.level == coarsest) base.push_back(k);
  const std::atomic<bool> never{false};
  if (wait)
    cache_->WaitFor(plan_.wanted, never);
  else if (base.size() <= kWaitedBaseBricks)
    cache_->WaitFor(base, never);
  const streaming::BrickSet keep(plan_.wanted.begin(), plan_.wanted.end());
  size_t uploaded = 0;
  bool all = true;
  for (const streaming::BrickKey& k : plan_.wanted) {
    if (slots_->SlotOf(k) >= 0) {
      slots_->Touch(k);
      continue;
    }
    if (!wait && uploaded >= per_frame && k.level != coarsest) {
      all = false;
      continue;
    }
    const std::shared_ptr<const streaming::Brick> brick = cache_->Get(k);
    if (!brick) {
      all = false;
      continue;
    }
    if (AllZero(*brick)) {
      slots_->HoldEmpty(k);  // the rays skip it
      continue;
    }
    int64_t slot = slots_->Place(k, keep);
    if (slot < 0 && slots_->Capacity() + 1 < budget_slots_) {
      // The atlas is full of bricks this view wants: one of the whole budget (growing once). It
      // starts empty: what was in it is uploaded again from the host cache.
      MakeAtlas(budget_slots_);
      return Update(view, wait, per_frame);
    }
    if (slot < 0) {
      all = false;
      continue;
    }
    UploadBrick(*brick, slot);
    largest_[k] = brick->largest;
    ++uploaded;
  }
  cache_->TakeArrived();
  complete_ = all;
  finest_drawn_ = coarsest;
  for (const streaming::BrickKey& k : plan_.wanted)
    if (k.level < finest_drawn_ && slots_->SlotOf(k) >= 0) finest_drawn_ = k.level;
  if (uploaded > 0 || plan_.wanted != table_for_) table_dirty_ = true;
  if (!table_dirty_) return;
  if (largest_.size() > 2 * slots_->Capacity())
    std::erase_if(largest_, [&](const auto& held) { return slots_->SlotOf(held.first) <= 0; });
  dark_ = 0;
  const std::vector<uint8_t> table =
      streaming::BuildPageTable(Source().Levels(), plan_.wanted, *slots_, [&](const streaming::BrickKey& k) {
        const bool dark = Dark(k);
        dark_ += dark;
        return dark;
      });
  glBindTexture(GL_TEXTURE_3D, pages_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gl_.TexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, 0, page_count_[0], page_count_[1], page_count_[2], GL_RGBA,
                    GL_UNSIGNED_BYTE, table.data());
  glBindTexture(GL_TEXTURE_3D, 0);
  table_for_ = plan_.wanted;
  table_dirty_ = false;
}

void BrickedVolume::SetDarkBelow(const std::vector<double>& below) {
  if (below == dark_below_) return;
  dark_below_ = below;
  table_dirty_ = true;
}

bool BrickedVolume::Dark(const streaming::BrickKey& key) const {
  const auto it = largest_.find(key);
  if (it == largest_.end() || dark_below_.size() < it->second.size()) return false;
  for (size_t c = 0; c < it->second.size(); ++c)
    if (!(it->second[c] + 0.5 <= dark_below_[c])) return false;
  return true;
}

std::string BrickedVolume::Status() const {
  const size_t levels = Source().Levels().size();
  std::string s = "level " + std::to_string(finest_drawn_ + 1) + " of " + std::to_string(levels) + " shown";
  if (plan_.reduced) s += " (the memory budget holds no finer bricks for this view)";
  if (!complete_) {
    const size_t wanted = std::max<size_t>(plan_.wanted.size(), 1);
    s += ", loading " + std::to_string(100 * cache_->WantedLoaded() / wanted) + "%";
  }
  return s;
}

void BrickedVolume::Bind(uint32_t program, uint32_t first_unit, uint32_t pages_unit) {
  auto loc = [&](const std::string& name) { return gl_.GetUniformLocation(program, name.c_str()); };
  for (size_t c = 0; c < atlas_.size(); ++c) {
    gl_.ActiveTexture(GL_TEXTURE0 + first_unit + static_cast<GLenum>(c));
    glBindTexture(GL_TEXTURE_3D, atlas_[c]);
    gl_.Uniform1i(loc("u_vol" + std::to_string(c)), static_cast<GLint>(first_unit + c));
  }
  gl_.ActiveTexture(GL_TEXTURE0 + pages_unit);
  glBindTexture(GL_TEXTURE_3D, pages_);
  gl_.Uniform1i(loc("u_pages"), static_cast<GLint>(pages_unit));
  const auto& levels = Source().Levels();
  const auto& finest = levels.front();
  gl_.Uniform3f(loc("u_level0"), float(finest.width), float(finest.height), float(finest.depth));
  gl_.Uniform3f(loc("u_pages_n"), float(page_count_[0]), float(page_count_[1]), float(page_count_[2]));
  gl_.Uniform3f(loc("u_atlas"), float(atlas_texels_[0]), float(atlas_texels_[1]), float(atlas_texels_[2]));
  std::vector<float> factors;
  for (const auto& l : levels) factors.insert(factors.end(), {float(l.factor[0]), float(l.factor[1]), float(l.factor[2])});
  gl_.Uniform3fv(loc("u_factor"), static_cast<GLsizei>(levels.size()), factors.data());
}

}  // namespace lumetrix
