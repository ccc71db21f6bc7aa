#include "render/texture_stacks.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "imaging/resample.h"
#include "viewer/byte_transpose.h"
#include "render/slice_workers.h"
#include "render/texture_budget.h"

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

void SlicePreparer::ExtractGrey(Stack stack, int32_t k) {
  if (stack == Stack::XY)
    ExtractXy(k, true, grey_);
  else
    ExtractSliceGrey(v_, stack, k, s_.SliceStep, grey_);
}

void SlicePreparer::Prepare(Stack stack, int32_t k, SliceImage& out) {
  const StackLayout l = LayoutOf(v_, stack, s_.SliceStep);
  int32_t columns = l.Columns;
  out.Channels = 3;
  out.Levels.clear();
  std::vector<uint8_t>* pixels = &coloured_;
  if (v_.IsGrey && s_.Colourer) {
    ExtractGrey(stack, k);
    s_.Colourer(grey_, l.Columns, l.Rows, coloured_, columns);
  } else if (v_.IsGrey && s_.Luminance) {
    ExtractGrey(stack, k);
    out.Channels = 1;
    pixels = &grey_;
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
    out.Pixels.swap(*pixels);
    return;
  }
  out.Pixels = imaging::ResampleBgr(pixels->data(), columns, l.Rows, size.Columns, size.Rows, out.Channels);
}

void PrepareSliceImage(const VolumeData& v, Stack stack, int32_t k, const TextureBuildSettings& s, SliceImage& out) {
  SlicePreparer(v, s).Prepare(stack, k, out);
}

void MakeUploadLevels(SliceImage& image, const UploadShape& shape) {
  // OpenGL takes the bottom row first (t = 0), so row 0 of the slice lands at t = 1.
  MipLevel base;
  base.Width = image.Width, base.Height = image.Height;
  const size_t row = static_cast<size_t>(image.Width) * static_cast<size_t>(image.Channels);
  base.Pixels.resize(row * static_cast<size_t>(image.Height));
  for (int32_t y = 0; y < image.Height; ++y)
    std::memcpy(base.Pixels.data() + row * static_cast<size_t>(image.Height - 1 - y), image.Pixels.data() + row * y, row);
  std::vector<uint8_t>().swap(image.Pixels);
  if (shape.AnySize) {
    image.Levels = MipChain(std::move(base), image.Channels, shape.Steps);
    return;
  }
  // The GLU builder makes the levels itself, after its power-of-two rescale.
  for (int i = 0; i < shape.Steps && (base.Width > 1 || base.Height > 1); ++i) base = HalveBox(base, image.Channels);
  image.Levels.clear();
  image.Levels.push_back(std::move(base));
}

bool DriverTakesAnySize() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version && std::atoi(version) >= 2) return true;
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two");
}

namespace {

std::string GlErrorInWords(GLenum error) {
  switch (error) {
    case GL_OUT_OF_MEMORY: return "the graphics driver ran out of memory";
    case GL_INVALID_VALUE: return "the graphics driver does not take a texture of that size";
    case GL_INVALID_ENUM: return "the graphics driver does not know the texture's pixel format";
    case GL_INVALID_OPERATION: return "the graphics driver refused the texture in its present state";
    default: return "OpenGL error " + std::to_string(error);
  }
}

void DrainGlErrors() {
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

}  // namespace

void UploadSliceTexture(uint32_t name, const SliceImage& image, const UploadShape& shape) {
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  const bool grey = image.Channels == 1;
  const GLint internal = grey ? GL_LUMINANCE : GL_RGB;
  const GLenum format = grey ? GL_LUMINANCE : GL_BGR;
  // Rows are unpadded in memory; with alignment 1 the texels are those of the padded BMP rows.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLint status = 0;
  if (shape.AnySize) {
    for (size_t level = 0; level < image.Levels.size(); ++level) {
      const MipLevel& m = image.Levels[level];
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internal, m.Width, m.Height, 0, format, GL_UNSIGNED_BYTE,
                   m.Pixels.data());
    }
  } else if (!image.Levels.empty()) {
    const MipLevel& m = image.Levels.front();
    status = gluBuild2DMipmaps(GL_TEXTURE_2D, internal, m.Width, m.Height, format, GL_UNSIGNED_BYTE, m.Pixels.data());
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  const GLenum error = glGetError();
  const int32_t w = image.Levels.empty() ? image.Width : image.Levels.front().Width;
  const int32_t h = image.Levels.empty() ? image.Height : image.Levels.front().Height;
  const std::string what = "Could not make a " + std::to_string(w) + " x " + std::to_string(h) + " texture: ";
  if (status != 0) {
    const auto* text = reinterpret_cast<const char*>(gluErrorString(static_cast<GLenum>(status)));
    throw TextureBuildError(what + (text ? text : "OpenGL error"));
  }
  if (error != GL_NO_ERROR) throw TextureBuildError(what + GlErrorInWords(error) + ".");
}

namespace {

TexturePlan PlanFor(const VolumeData& v, const TextureBuildSettings& s, bool luminance) {
  std::vector<TextureDemand> demand;
  for (Stack stack : {Stack::XY, Stack::YZ, Stack::XZ}) {
    const StackLayout l = LayoutOf(v, stack, s.SliceStep);
    if (l.Count <= 0) continue;
    float sc = 0, sr = 0;
    StackScales(stack, s.ScaleX, s.ScaleY, s.ScaleZ, sc, sr);
    const SliceSize size = ResampleSize(l.Columns, l.Rows, sc, sr);
    demand.push_back({size.Columns, size.Rows, l.Count});
  }
  TextureLimits limits;
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  limits.MaxSize = max_size;
  const GLint internal = luminance ? GL_LUMINANCE : GL_RGB;
  limits.DriverTakes = [internal](int32_t w, int32_t h) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, internal, w, h, 0, internal == GL_RGB ? GL_BGR : GL_LUMINANCE,
                 GL_UNSIGNED_BYTE, nullptr);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    DrainGlErrors();
    return width != 0;
  };
  limits.MemoryBudget = s.MemoryBudget > 0 ? s.MemoryBudget : HalfOfAvailableMemory();
  // Drivers keep RGB texels in four bytes.
  limits.BytesPerTexel = luminance ? 1 : 4;
  return PlanTextures(demand, limits);
}

}  // namespace

int32_t SlicesAhead(const VolumeData& v, const TextureBuildSettings& s, Stack stack) {
  const StackLayout l = LayoutOf(v, stack, s.SliceStep);
  const double bytes = 3.0 * std::max(1, l.Columns) * std::max(1, l.Rows) * 3;  // with resampling and levels
  return static_cast<int32_t>(std::clamp(256.0 * 1024 * 1024 / bytes, 1.0, 64.0));
}

UploadShape PlanUpload(const VolumeData& v, const TextureBuildSettings& s, TextureBuildReport& report) {
  DrainGlErrors();
  const bool luminance = v.IsGrey && !s.Colourer && s.Luminance;
  const TexturePlan plan = PlanFor(v, s, luminance);
  if (!plan.Possible) throw TextureBuildError(plan.Message);
  report.Steps = plan.Steps;
  report.Message = plan.Message;
  return {DriverTakesAnySize() && !s.PowerOfTwoOnly, plan.Steps};
}

TextureBuildReport BuildTextures(const VolumeData& v, const TextureBuildSettings& s, ProgressSink& progress,
                                 TextureStacks& out) {
  bool shown = false;
  TextureBuildReport report;
  try {
    auto current = [&] {
      if (s.EnsureCurrent && !s.EnsureCurrent()) throw TextureBuildError("The OpenGL context went away.");
    };
    current();
    const UploadShape shape = PlanUpload(v, s, report);
    for (Stack stack : {Stack::XY, Stack::YZ, Stack::XZ}) {
      const StackLayout l = LayoutOf(v, stack, s.SliceStep);
      std::vector<uint32_t>& names = out.Of(stack);
      names.assign(static_cast<size_t>(l.Reserved) + 1, 0);
      current();
      if (l.Reserved > 0) glGenTextures(l.Reserved, names.data());
      progress.ShowProgress(ProgressCaption(stack), 0, l.ProgressMax);
      shown = true;
      if (l.Count <= 0) continue;
      SliceWorkers workers(v, s, stack, l.Count, shape, SlicesAhead(v, s, stack));
      for (int32_t k = 0; k < l.Count; ++k) {
        if (progress.Cancelled()) throw TextureBuildCancelled("Building the textures was stopped.");
        progress.SetProgress(k);
        current();
        const SliceImage image = workers.Take(k);
        UploadSliceTexture(names[static_cast<size_t>(k)], image, shape);
      }
    }
    progress.HideProgress();
  } catch (const TextureBuildCancelled&) {
    if (!s.EnsureCurrent || s.EnsureCurrent()) out.Release();
    progress.HideProgress();
    throw;
  } catch (const std::bad_alloc&) {
    if (!s.EnsureCurrent || s.EnsureCurrent()) out.Release();
    if (shown) progress.HideProgress();
    throw TextureBuildError("There is not enough memory to build the textures.");
  } catch (const std::exception& e) {
    if (!s.EnsureCurrent || s.EnsureCurrent()) out.Release();
    if (shown) progress.HideProgress();
    throw TextureBuildError(e.what());
  }
  return report;
}

}  // namespace lumetrix
