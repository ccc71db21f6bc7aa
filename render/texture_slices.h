#pragma once
// What goes into the three stacks of slice textures: which slices, their images and the sizes
// they are resampled to so that their pixels have the voxels' proportions.

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "viewer/volume_data.h"

namespace lumetrix {

enum class Stack { XY = 0, YZ = 1, XZ = 2 };

struct StackLayout {
  int32_t Reserved = 0;  // texture names reserved: D, W or H
  int32_t Count = 0;     // textures built: D, n_YZ + 1 or n_XZ + 1 (may be 0)
  int32_t Columns = 0;   // slice image before resampling
  int32_t Rows = 0;
  int32_t ProgressMax = 0;  // D, W / step or H / step
};

// n_YZ (or n_XZ): extent / step - 1, rounded half to even; -1 or 0 for tiny volumes.
int32_t LastSliceIndex(int32_t extent, int32_t slice_step);
StackLayout LayoutOf(const VolumeData& v, Stack stack, int32_t slice_step);
const char* ProgressCaption(Stack stack);  // "XY Textures", ...

// Slice k of the stack as blue, green, red bytes (Columns x Rows x 3, rows top first): XY is page
// k; YZ is column step*k with row p = page p; XZ is row step*k likewise.
void ExtractSliceBgr(const VolumeData& v, Stack stack, int32_t k, int32_t slice_step, std::vector<uint8_t>& out);
// The same slice of a grey volume, one byte per pixel.
void ExtractSliceGrey(const VolumeData& v, Stack stack, int32_t k, int32_t slice_step, std::vector<uint8_t>& out);

// Raised when the scales give a slice size that cannot be built.
class SliceSizeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SliceSize {
  int16_t Columns;
  int16_t Rows;
};
// The size a Columns x Rows slice is resampled to: columns scale Sc, rows scale Sr.
SliceSize ResampleSize(int32_t columns, int32_t rows, float column_scale, float row_scale);
// The scales of a stack's image columns and rows, from the view state's voxel sizes.
void StackScales(Stack stack, float scale_x, float scale_y, float scale_z, float& column_scale, float& row_scale);

}  // namespace lumetrix
