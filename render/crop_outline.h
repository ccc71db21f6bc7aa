#pragma once
// The crop box's outline, drawn over the volume while a crop limit is dragged: its twelve edges as
// thin opaque lines in model space.

#include <array>

#include "core/view_state.h"
#include "viewer/volume_shape.h"

namespace lumetrix {

struct ModelBox {
  std::array<float, 3> Min{}, Max{};
};

// The part of the model box the crop limits keep: voxel v (from 0, limits inclusive) spans
// [v, v + 1) of N along its axis.
ModelBox CropBoxInModel(const CropBox& crop, const VolumeShape& shape, const ViewState& view);

// Draws the edges with the model-view matrix current; the context's state is left as it was.
void DrawCropOutline(const ModelBox& box);

}  // namespace lumetrix
