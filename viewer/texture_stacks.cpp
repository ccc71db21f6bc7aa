#include "viewer/texture_stacks.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>
#include <new>
#include <string>

#include "imaging/resample.h"

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

void PrepareSliceImage(const VolumeData& v, Stack stack, int32_t k, const TextureBuildSettings& s, SliceImage& out,
                       std::vector<uint8_t>& scratch) {
  const StackLayout l = LayoutOf(v, stack, s.SliceStep);
  int32_t columns = l.Columns;
  std::vector<uint8_t>& coloured = scratch;
  if (v.IsGrey && s.Colourer) {
    std::vector<uint8_t> grey;
    ExtractSliceGrey(v, stack, k, s.SliceStep, grey);
    s.Colourer(grey, l.Columns, l.Rows, coloured, columns);
  } else {
    ExtractSliceBgr(v, stack, k, s.SliceStep, coloured);
  }
  float sc = 0, sr = 0;
  StackScales(stack, s.ScaleX, s.ScaleY, s.ScaleZ, sc, sr);
  // The size follows the slice's own columns, also when a table widened the image.
  const SliceSize size = ResampleSize(l.Columns, l.Rows, sc, sr);
  out.Width = size.Columns;
  out.Height = size.Rows;
  if (size.Columns == columns && size.Rows == l.Rows) {
    out.Bgr.swap(coloured);
    return;
  }
  out.Bgr = imaging::ResampleBgr(coloured.data(), columns, l.Rows, size.Columns, size.Rows, 3);
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
    std::vector<uint8_t> scratch;
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
        PrepareSliceImage(v, stack, k, s, image, scratch);
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
