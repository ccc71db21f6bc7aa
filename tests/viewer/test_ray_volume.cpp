// What the ray caster uploads, without a context: channels reordered x fastest, halved to fit.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "render/ray_thresholds.h"
#include "render/ray_transfer.h"
#include "render/ray_volume.h"
#include "render/texture_budget.h"
#include "streaming/halve_volume.h"
#include "viewer/hyperstack_view.h"

namespace lumetrix {
namespace {

VolumeData Grey(int32_t w, int32_t h, int32_t d) {
  VolumeData v;
  v.Width = w, v.Height = h, v.Depth = d, v.IsGrey = true;
  v.Samples.resize(static_cast<size_t>(w) * h * d);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      for (int32_t p = 0; p < d; ++p) v.Samples[v.Index(p, x, y)] = static_cast<uint8_t>(p * 40 + x * 7 + y);
  return v;
}

TEST(RayVolume, GreyPagesAreReorderedColumnsFirstThenRowsThenPages) {
  const VolumeData v = Grey(5, 3, 4);
  std::string note;
  const RayVolume r = PrepareRayVolume(v, {}, RayLimits{}, note);
  ASSERT_EQ(r.Channels.size(), 1u);
  const uint8_t* t = r.Channels[0].Voxels;
  for (int32_t p = 0; p < 4; ++p)
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(t[(p * 3 + y) * 5 + x], p * 40 + x * 7 + y) << p << y << x;
  EXPECT_EQ(note, "");
  EXPECT_TRUE(r.Palette.empty());
}

TEST(RayVolume, HalvingAveragesBlocksAndKeepsTheLastOfAnOddSide) {
  // 3 x 2 x 2: the first block holds 0..7 scattered, the odd column 100 and 104 (rounded mean).
  const uint8_t in[] = {0, 1, 100, 2, 3, 100, 4, 5, 104, 6, 7, 104};
  EXPECT_EQ(streaming::HalveVolume(in, 8, 3, 2, 2), (std::vector<uint8_t>{4, 102}));
  const uint16_t wide[] = {1000, 3000, 60000, 65535};  // 2 x 2 x 1: (129535 + 2) / 4
  const std::vector<uint8_t> out = streaming::HalveVolume(reinterpret_cast<const uint8_t*>(wide), 16, 2, 2, 1);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(*reinterpret_cast<const uint16_t*>(out.data()), 32384);
}

TEST(RayVolume, ABudgetOrTextureSizeTooSmallHalvesUntilItFitsAndSaysSo) {
  const VolumeData v = Grey(64, 48, 20);
  const struct {
    RayLimits limits;
    int steps;
    int32_t w, h, d;
  } cases[] = {{{2048, 0}, 0, 64, 48, 20},
               {{2048, 64 * 48 * 20}, 0, 64, 48, 20},
               {{2048, 64 * 48 * 20 - 1}, 1, 32, 24, 10},
               {{40, 0}, 1, 32, 24, 10},
               {{16, 0}, 2, 16, 12, 5}};
  for (const auto& c : cases) {
    std::string note;
    const RayVolume r = PrepareRayVolume(v, {}, c.limits, note);
    EXPECT_EQ(r.Steps, c.steps);
    EXPECT_EQ(std::tuple(r.Width, r.Height, r.Depth), std::tuple(c.w, c.h, c.d));
    EXPECT_EQ(std::tuple(r.FullWidth, r.FullHeight, r.FullDepth), std::tuple(64, 48, 20));
    EXPECT_EQ(note.empty(), c.steps == 0) << note;
  }
  std::string note;  // 4096 wide is still 64 wide after six halvings
  EXPECT_THROW(PrepareRayVolume(Grey(4096, 2, 2), {}, RayLimits{32, 0}, note), TextureBuildError);
}

// The slice textures' plan at the edges of each limit. Mip chains by hand, 4 bytes a texel:
// 64 x 48: 3072 + 768 + 192 + 48 + 12 + 2 (2 x 1) + 1 = 4095 texels, 16380 bytes; halved once
// (32 x 24): 1023 texels, 4092 bytes; twice: 255, 1020; five times (2 x 1): 3, 12; six (1 x 1): 4.
// 8 x 2: 16 + 4 + 2 + 1 = 23 texels, 92 bytes; halved (4 x 1): 7, 28.
TEST(TextureBudget, TheFewestHalvingsThatFitEveryLimitExactly) {
  EXPECT_EQ(MipChainBytes(64, 48, 4, 0), 16380u);
  EXPECT_EQ(MipChainBytes(8, 2, 1, 0), 23u);
  const auto takes40 = [](int32_t w, int32_t h) { return w <= 40 && h <= 40; };
  const struct {
    std::vector<TextureDemand> stacks;
    TextureLimits limits;
    int steps;  // -1: refused
    uint64_t bytes;
  } cases[] = {
      {{{64, 48, 10}}, {0, {}, 163800, 4}, 0, 163800},  // exactly the budget fits
      {{{64, 48, 10}}, {0, {}, 163799, 4}, 1, 40920},
      {{{64, 48, 10}}, {0, {}, 40919, 4}, 2, 10200},
      {{{64, 48, 10}}, {0, {}, 40, 4}, 6, 40},  // the last halving allowed
      {{{64, 48, 10}}, {0, {}, 39, 4}, -1, 40},
      {{{64, 48, 10}}, {64, {}, 0, 4}, 0, 163800},  // as wide as the driver's largest
      {{{64, 48, 10}}, {63, {}, 0, 4}, 1, 40920},
      {{{48, 64, 10}}, {63, {}, 0, 4}, 1, 40920},  // the taller side counts as well
      {{{64, 48, 10}}, {0, takes40, 0, 4}, 1, 40920},
      {{{64, 48, 10}, {8, 2, 3}, {4096, 4096, 0}}, {0, {}, 164076, 4}, 0, 164076},  // 163800 + 3 * 92; none of 4096
      {{{64, 48, 10}, {8, 2, 3}}, {0, {}, 164075, 4}, 1, 41004},  // 40920 + 3 * 28
  };
  for (const auto& c : cases) {
    const TexturePlan plan = PlanTextures(c.stacks, c.limits);
    EXPECT_EQ(std::tuple(plan.Possible, plan.Possible ? plan.Steps : -1, plan.Bytes), std::tuple(c.steps >= 0, c.steps, c.bytes))
        << plan.Message;
    EXPECT_EQ(plan.Message.empty(), c.steps == 0) << plan.Message;
  }
}

TEST(RayVolume, AGreyVolumesPaletteIsTheColourerAppliedToEveryLevel) {
  // Plain, and kept at its stored depth as once its range or gamma is set; given a colour too,
  // which one grey channel does not show: the palette colours it.
  VolumeData kept = Grey(4, 4, 2);
  KeepStack(kept);
  kept.Display.Channels[0].Red = 255, kept.Display.Channels[0].Green = 0;
  // A table that maps level g to blue g, green 255 - g, red g / 2.
  const SliceColourer colourer = [](const std::vector<uint8_t>& grey, int32_t w, int32_t h, std::vector<uint8_t>& bgr,
                                    int32_t& columns) {
    columns = w;
    bgr.clear();
    for (int32_t i = 0; i < w * h; ++i) {
      const uint8_t g = grey[static_cast<size_t>(i)];
      bgr.insert(bgr.end(), {g, static_cast<uint8_t>(255 - g), static_cast<uint8_t>(g / 2)});
    }
  };
  for (const VolumeData& v : {Grey(4, 4, 2), kept}) {
    SCOPED_TRACE(v.Stack ? "kept" : "plain");
    std::string note;
    const RayVolume r = PrepareRayVolume(v, colourer, RayLimits{}, note);
    ASSERT_EQ(r.Palette.size(), 768u);
    for (int g : {0, 77, 255})  // stored red, green, blue
      EXPECT_EQ(std::tuple(r.Palette[3 * g], r.Palette[3 * g + 1], r.Palette[3 * g + 2]),
                std::tuple(uint8_t(g / 2), uint8_t(255 - g), uint8_t(g)));
    ASSERT_EQ(r.Channels.size(), 1u);
    EXPECT_EQ(std::tuple(r.Channels[0].Red, r.Channels[0].Green, r.Channels[0].Blue), std::tuple(1.0f, 1.0f, 1.0f));
  }
}

}  // namespace
}  // namespace lumetrix

namespace lumetrix {
namespace {

TEST(RayTransfer, EachChannelsRowsHoldTheLevelAndTheOpacityOfAStepAndTheTintTimesIt) {
  // Worked out apart (Python): entry i stands for i / 4095 of the display range, whatever the
  // range and the stored depth; the tint times the opacity is level * colour * opacity.
  RayChannel grey, narrow, wide;
  narrow.Min = 100, narrow.Max = 200, narrow.Gamma = 2, narrow.Green = 0.25f, narrow.Blue = 0;
  wide.Bits = 16, wide.Min = 1000, wide.Max = 1100, wide.Gamma = 0.5;
  const struct {
    RayChannel channel;
    double transparency, step;
    int entry;
    uint16_t level, opacity;
    std::array<uint16_t, 3> tinted;
  } cases[] = {
      {grey, 0.3, 0.5, 4095, 65535, 10704, {10704, 10704, 10704}},  // 1 - 0.7 ^ 0.5
      {grey, 0.3, 0.5, 1000, 16004, 2446, {597, 597, 597}},         // 0.2442; 1 - (1 - 0.3 * 0.2442) ^ 0.5
      {narrow, 0.3, 0.5, 2048, 16392, 2507, {627, 157, 0}},         // 0.5001 ^ 2; * 0.03825 * (1, 0.25, 0)
      {narrow, 0.3, 0.5, 0, 0, 0, {0, 0, 0}},
      {wide, 1.0, 2, 100, 10241, 18882, {2951, 2951, 2951}},        // 0.02442 ^ 0.5; 1 - (1 - 0.1563) ^ 2
      {wide, 1.0, 2, 4095, 65535, 65535, {65535, 65535, 65535}},
  };
  // Palette (g / 2, 255 - g, g), channel 0 alone: entry 1000 takes 62 = floor(0.2442 * 255 + 0.5).
  std::vector<uint8_t> palette;
  for (int g = 0; g < 256; ++g) palette.insert(palette.end(), {uint8_t(g / 2), uint8_t(255 - g), uint8_t(g)});
  const size_t row = 4 * kRayTransferEntries;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    // The channel asked for stands second, after a grey one, so rows are told apart.
    const std::vector<uint16_t> table = RayTransferTable({grey, c.channel}, palette, c.transparency, c.step);
    ASSERT_EQ(table.size(), 4u * 4 * kRayTransferEntries);
    const size_t at = 4 * static_cast<size_t>(c.entry);
    EXPECT_EQ(std::tuple(table[3 * row + at], table[3 * row + at + 1]), std::tuple(c.level, c.opacity));
    EXPECT_EQ(std::tuple(table[row + at], table[row + at + 1], table[row + at + 2], table[row + at + 3]),
              std::tuple(c.tinted[0], c.tinted[1], c.tinted[2], c.opacity));
  }
  const std::vector<uint16_t> table = RayTransferTable({grey}, palette, 0.3, 0.5);
  EXPECT_EQ(std::tuple(table[4000], table[4001], table[4002], table[4003]),
            std::tuple(uint16_t(297), uint16_t(1851), uint16_t(595), uint16_t(2446)));
}

TEST(RayTransfer, AStoredValueFallsOnTheCentreOfItsEntry) {
  // Entry e = (v - Min) / (Max - Min) * 4095 lies at (e + 0.5) / 4096 of the table's width.
  RayChannel grey, narrow, wide;
  narrow.Min = 100, narrow.Max = 200;
  wide.Bits = 16, wide.Min = 1000, wide.Max = 1100;
  const struct {
    RayChannel channel;
    double value, column;
  } cases[] = {
      {grey, 0, 0.5 / 4096},     {grey, 255, 4095.5 / 4096},  {narrow, 100, 0.5 / 4096},
      {narrow, 200, 4095.5 / 4096}, {wide, 1050, 0.5},        {wide, 1000, 0.5 / 4096},
  };
  for (const auto& c : cases) {
    const std::array<double, 2> xy = RayTransferColumn(c.channel);
    const double top = c.channel.Bits == 16 ? 65535 : 255;
    EXPECT_NEAR(c.value / top * xy[0] + xy[1], c.column, 1e-9) << c.value;
  }
}

}  // namespace
}  // namespace lumetrix

namespace lumetrix {
namespace {

// Per channel, the held value below which a sample adds nothing, by mode (worked by hand).
TEST(RayThresholds, ASampleBelowTheRangeOrTheIsoLevelAddsNothing) {
  std::vector<RayChannel> channels(4);
  channels[0].Min = 20, channels[0].Max = 220;
  channels[1].Min = 30, channels[1].Max = 50, channels[1].Visible = false;
  channels[2].Min = 40, channels[2].Max = 90, channels[2].Gamma = 0;  // level 1 at the low end
  channels[3].Min = 10, channels[3].Max = 30;
  constexpr double kAll = std::numeric_limits<double>::infinity();
  ViewState view;
  for (const RenderMode mode : {RenderMode::Volume, RenderMode::Mip, RenderMode::Attenuated, RenderMode::MinIP}) {
    view.Mode = mode;
    EXPECT_EQ(DarkBelow(view, channels), (std::vector<double>{20, kAll, -kAll, 10}));
  }
  view.Mode = RenderMode::Iso;
  view.IsoLevel[3] = 25;  // the others at the middle of their ranges
  EXPECT_EQ(DarkBelow(view, channels), (std::vector<double>{120, kAll, 65, 25}));
}

}  // namespace
}  // namespace lumetrix
