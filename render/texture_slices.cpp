#include "render/texture_slices.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/rounding.h"

namespace lumetrix {

int32_t LastSliceIndex(int32_t extent, int32_t slice_step) {
  return CLng(static_cast<double>(extent) / slice_step - 1.0);
}

StackLayout LayoutOf(const VolumeData& v, Stack stack, int32_t slice_step) {
  StackLayout l;
  switch (stack) {
    case Stack::XY:
      l = {v.Depth, v.Depth, v.Width, v.Height, v.Depth};
      break;
    case Stack::YZ:
      l = {v.Width, LastSliceIndex(v.Width, slice_step) + 1, v.Height, v.Depth,
           CLng(static_cast<double>(v.Width) / slice_step)};
      break;
    case Stack::XZ:
      l = {v.Height, LastSliceIndex(v.Height, slice_step) + 1, v.Width, v.Depth,
           CLng(static_cast<double>(v.Height) / slice_step)};
      break;
  }
  if (l.Count < 0) l.Count = 0;
  return l;
}

const char* ProgressCaption(Stack stack) {
  switch (stack) {
    case Stack::XY: return "XY Textures";
    case Stack::YZ: return "YZ Textures";
    case Stack::XZ: return "XZ Textures";
  }
  return "";
}

namespace {

// Calls put(pixel index, voxel index of channel 0) for every pixel of the slice, rows top first.
template <typename Put>
void ForEachSlicePixel(const VolumeData& v, Stack stack, int32_t k, int32_t step, Put put) {
  const size_t D = static_cast<size_t>(v.Depth), W = static_cast<size_t>(v.Width);
  switch (stack) {
    case Stack::XY: {  // pixel (x, y) = voxel (k, x, y)
      size_t i = 0;
      for (size_t y = 0; y < static_cast<size_t>(v.Height); ++y)
        for (size_t x = 0; x < W; ++x) put(i++, static_cast<size_t>(k) + D * (x + W * y));
      break;
    }
    case Stack::YZ: {  // pixel (y, p) = voxel (p, x, y), x = step * k
      const size_t x = static_cast<size_t>(step) * static_cast<size_t>(k);
      const size_t cols = static_cast<size_t>(v.Height);
      for (size_t p = 0; p < D; ++p)
        for (size_t y = 0; y < cols; ++y) put(p * cols + y, p + D * (x + W * y));
      break;
    }
    case Stack::XZ: {  // pixel (x, p) = voxel (p, x, y), y = step * k
      const size_t y = static_cast<size_t>(step) * static_cast<size_t>(k);
      for (size_t p = 0; p < D; ++p)
        for (size_t x = 0; x < W; ++x) put(p * W + x, p + D * (x + W * y));
      break;
    }
  }
}

}  // namespace

void ExtractSliceBgr(const VolumeData& v, Stack stack, int32_t k, int32_t slice_step, std::vector<uint8_t>& out) {
  const StackLayout l = LayoutOf(v, stack, slice_step);
  out.resize(static_cast<size_t>(l.Columns) * static_cast<size_t>(l.Rows) * 3);
  const uint8_t* s = v.Samples.data();
  uint8_t* o = out.data();
  if (v.IsGrey) {
    ForEachSlicePixel(v, stack, k, slice_step, [&](size_t i, size_t at) {
      o[i * 3] = o[i * 3 + 1] = o[i * 3 + 2] = s[at];
    });
    return;
  }
  const size_t plane = static_cast<size_t>(v.Depth) * static_cast<size_t>(v.Width) * static_cast<size_t>(v.Height);
  ForEachSlicePixel(v, stack, k, slice_step, [&](size_t i, size_t at) {
    o[i * 3 + 2] = s[at];              // red
    o[i * 3 + 1] = s[at + plane];      // green
    o[i * 3] = s[at + 2 * plane];      // blue
  });
}

void ExtractSliceGrey(const VolumeData& v, Stack stack, int32_t k, int32_t slice_step, std::vector<uint8_t>& out) {
  const StackLayout l = LayoutOf(v, stack, slice_step);
  out.resize(static_cast<size_t>(l.Columns) * static_cast<size_t>(l.Rows));
  const uint8_t* s = v.Samples.data();
  uint8_t* o = out.data();
  ForEachSlicePixel(v, stack, k, slice_step, [&](size_t i, size_t at) { o[i] = s[at]; });
}

void StackScales(Stack stack, float scale_x, float scale_y, float scale_z, float& column_scale, float& row_scale) {
  column_scale = scale_x;
  row_scale = stack == Stack::XY ? scale_y : scale_z;
}

SliceSize ResampleSize(int32_t columns, int32_t rows, float column_scale, float row_scale) {
  const float r = row_scale / column_scale;
  double new_columns = columns, new_rows = rows;
  if (r < 1)
    new_columns = static_cast<double>(column_scale) * columns / row_scale;
  else
    new_rows = static_cast<double>(row_scale) * rows / column_scale;
  auto describe = [&] {
    char scales[96];
    std::snprintf(scales, sizeof scales, "%g and %g", static_cast<double>(column_scale), static_cast<double>(row_scale));
    return std::string("The voxel scales ") + scales + " would make a " + std::to_string(columns) + " x " +
           std::to_string(rows) + " slice ";
  };
  if (!std::isfinite(new_columns) || !std::isfinite(new_rows) || std::isnan(r))
    throw SliceSizeError("Overflow: " + describe() + "infinitely large. Set scales greater than 0.");
  const double rc = RoundHalfEven(new_columns), rr = RoundHalfEven(new_rows);
  if (std::max(rc, rr) > 32767)
    throw SliceSizeError("Overflow: " + describe() + "larger than 32767 pixels. Bring the scales closer together.");
  if (rc < 1 || rr < 1) {
    char size[64];
    std::snprintf(size, sizeof size, "%.0f x %.0f", rc, rr);
    throw SliceSizeError(describe() + "of " + size + " pixels. Set scales greater than 0.");
  }
  const SliceSize size{static_cast<int16_t>(rc), static_cast<int16_t>(rr)};
  return size;
}

}  // namespace lumetrix
