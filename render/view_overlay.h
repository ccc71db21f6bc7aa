#pragma once
// What is drawn over the volume in window pixels: a scale bar (bottom left) and a small axes
// triad (bottom right). Drawn inside the frame, so saved frames and movies carry them too.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/view_state.h"
#include "render/scale_bar.h"
#include "viewer/renderer.h"

namespace lumetrix {

// A line of text as RGBA pixels, bottom row first (as glDrawPixels takes them).
struct TextImage {
  int32_t Width = 0, Height = 0;
  std::vector<uint8_t> Rgba;
};
using TextRaster = std::function<TextImage(const std::string&)>;

struct ScaleBarLayout {
  double Units = 0;   // the length it stands for
  double Pixels = 0;  // its length on screen, at the volume's centre
};
// A round length that takes at most a quarter of the width; one voxel across spans 2 / width of
// the model, seen through the 45 degree perspective at the volume's distance.
ScaleBarLayout LayoutScaleBar(const ViewState& view, int32_t viewport_w, int32_t viewport_h, int32_t volume_width,
                              double voxel_width);

void DrawOverlay(const ViewState& view, int32_t viewport_w, int32_t viewport_h, int32_t volume_width,
                 const Calibration& calibration, const TextRaster& raster);

}  // namespace lumetrix
