#include "viewer/texture_stacks.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "imaging/resample.h"
#include "viewer/byte_transpose.h"

#ifndef GL_BGR
#define GL_BGR 0x80E0
#endif

namespace lumetrix {

void TextureStacks::Release() {
  for (auto* names : {&XY, &YZ, &XZ}) {
    if (!names->empty()) glDeleteTextures(static_cast<GLsizei>(names->size()), names->data());
    names->clear();
  }
}

void SlicePreparer::ExtractXy(int32_t k, bool grey_only, std::vector<uint8_t>& out) {
  constexpr int32_t kBatch = 16;
  const size_t pixels = static_cast<size_t>(v_.Width) * static_cast<size_t>(v_.Height);
  const size_t depth = static_cast<size_t>(v_.Depth);
  const int channels = v_.Channels();
  // Pages of a batch are kept a little more than a page apart, so that writing all of them at
  // once does not send every store of a tile to the same cache set.
  const size_t plane = (pixels + 63) / 64 * 64 + 320;
  if (k < batch_first_ || k >= batch_first_ + batch_count_) {
    batch_first_ = k;
    batch_count_ = std::min(kBatch, v_.Depth - k);
    batch_.resize(plane * channels * static_cast<size_t>(batch_count_));
    const size_t page_stride = plane * static_cast<size_t>(channels);
    const uint8_t* runs[kBatch];
    for (int c = 0; c < channels; ++c) {
      const uint8_t* src = v_.Samples.data() + depth * pixels * c + k;
      // Sixteen pixels' runs of neighbouring pages become sixteen pixels of each page.
      for (size_t i0 = 0; i0 < pixels; i0 += kBatch) {
        const int32_t n = static_cast<int32_t>(std::min<size_t>(kBatch, pixels - i0));
        for (int32_t r = 0; r < n; ++r) runs[r] = src + depth * (i0 + static_cast<size_t>(r));
        TransposeBytes(runs, n, 0, static_cast<size_t>(batch_count_), page_stride, batch_.data() + plane * c + i0);
      }
    }
  }
  const size_t page_stride = plane * static_cast<size_t>(channels);
  const uint8_t* page = batch_.data() + static_cast<size_t>(k - batch_first_) * page_stride;
  if (grey_only) {
    out.assign(page, page + pixels);
    return;
  }
  out.resize(pixels * 3);
  uint8_t* o = out.data();
  if (channels == 1) {
    for (size_t i = 0; i < pixels; ++i) o[3 * i] = o[3 * i + 1] = o[3 * i + 2] = page[i];
  } else {
    for (size_t i = 0; i < pixels; ++i) {
      o[3 * i + 2] = page[i];               // red
      o[3 * i + 1] = page[plane + i];       // green
      o[3 * i] = page[2 * plane + i];       // blue
    }
  }
}

void SlicePreparer::Prepare(Stack stack, int32_t k, SliceImage& out) {
  const StackLayout l = LayoutOf(v_, stack, s_.SliceStep);
  int32_t columns = l.Columns;
  if (v_.IsGrey && s_.Colourer) {
    if (stack == Stack::XY)
      ExtractXy(k, true, grey_);
    else
      ExtractSliceGrey(v_, stack, k, s_.SliceStep, grey_);
    s_.Colourer(grey_, l.Columns, l.Rows, coloured_, columns);
  } else if (stack == Stack::XY) {
    ExtractXy(k, false, coloured_);
  } else {
    ExtractSliceBgr(v_, stack, k, s_.SliceStep, coloured_);
  }
  float sc = 0, sr = 0;
  StackScales(stack, s_.ScaleX, s_.ScaleY, s_.ScaleZ, sc, sr);
  // The size follows the slice's own columns, also when a table widened the image.
  const SliceSize size = ResampleSize(l.Columns, l.Rows, sc, sr);
  out.Width = size.Columns;
  out.Height = size.Rows;
  if (size.Columns == columns && size.Rows == l.Rows) {
    out.Bgr.swap(coloured_);
    return;
  }
  out.Bgr = imaging::ResampleBgr(coloured_.data(), columns, l.Rows, size.Columns, size.Rows, 3);
}

void PrepareSliceImage(const VolumeData& v, Stack stack, int32_t k, const TextureBuildSettings& s, SliceImage& out) {
  SlicePreparer(v, s).Prepare(stack, k, out);
}

void UploadSliceTexture(uint32_t name, const SliceImage& image) {
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  // OpenGL takes the bottom row first (t = 0), so row 0 of the slice lands at t = 1. Rows are
  // unpadded in memory; with alignment 1 the texels are those of the padded BMP rows.
  static thread_local std::vector<uint8_t> bottom_up;
  const size_t row = static_cast<size_t>(image.Width) * 3;
  bottom_up.resize(row * static_cast<size_t>(image.Height));
  for (int32_t y = 0; y < image.Height; ++y)
    std::memcpy(bottom_up.data() + row * static_cast<size_t>(image.Height - 1 - y), image.Bgr.data() + row * y, row);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLint status = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.Width, image.Height, GL_BGR, GL_UNSIGNED_BYTE,
                                         bottom_up.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  if (status != 0) {
    const auto* text = reinterpret_cast<const char*>(gluErrorString(static_cast<GLenum>(status)));
    throw TextureBuildError(std::string("Could not make a ") + std::to_string(image.Width) + " x " +
                            std::to_string(image.Height) + " texture: " + (text ? text : "OpenGL error"));
  }
}

void BuildTextures(const VolumeData& v, const TextureBuildSettings& s, ProgressSink& progress, TextureStacks& out) {
  bool shown = false;
  try {
    SliceImage image;
    SlicePreparer slices(v, s);
    for (Stack stack : {Stack::XY, Stack::YZ, Stack::XZ}) {
      const StackLayout l = LayoutOf(v, stack, s.SliceStep);
      std::vector<uint32_t>& names = out.Of(stack);
      names.assign(static_cast<size_t>(l.Reserved) + 1, 0);
      if (s.EnsureCurrent && !s.EnsureCurrent()) throw TextureBuildError("The OpenGL context went away.");
      if (l.Reserved > 0) glGenTextures(l.Reserved, names.data());
      progress.ShowProgress(ProgressCaption(stack), 0, l.ProgressMax);
      shown = true;
      auto current = [&] {
        if (s.EnsureCurrent && !s.EnsureCurrent()) throw TextureBuildError("The OpenGL context went away.");
      };
      for (int32_t k = 0; k < l.Count; ++k) {
        if (progress.Cancelled()) throw TextureBuildError("Building the textures was stopped.");
        progress.SetProgress(k);
        current();
        slices.Prepare(stack, k, image);
        UploadSliceTexture(names[static_cast<size_t>(k)], image);
      }
    }
    progress.HideProgress();
  } catch (const std::bad_alloc&) {
    if (!s.EnsureCurrent || s.EnsureCurrent()) out.Release();
    if (shown) progress.HideProgress();
    throw TextureBuildError("There is not enough memory to build the textures.");
  } catch (const std::exception& e) {
    if (!s.EnsureCurrent || s.EnsureCurrent()) out.Release();
    if (shown) progress.HideProgress();
    throw TextureBuildError(e.what());
  }
}

}  // namespace lumetrix
