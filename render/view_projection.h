#pragma once
// The projection of a view: the 45 degree perspective, or an orthographic one that shows the
// plane through the volume's centre at the size the perspective shows it.

#include <array>
#include <cstdint>

#include "core/view_state.h"

namespace lumetrix {

// Loads the projection matrix for a width x height viewport (a height of 0 counts as 1) and
// leaves the model-view matrix current.
void LoadProjection(const ViewState& view, int32_t width, int32_t height);
// Half the height the orthographic projection shows, in model units.
double OrthographicHalfHeight(const ViewState& view);
// Where the eye is, and where it looks, in model space: the inverse of the view's translation
// and its rotations about x and then y.
std::array<double, 3> EyeInModel(const ViewState& view);
std::array<double, 3> LookInModel(const ViewState& view);

}  // namespace lumetrix
