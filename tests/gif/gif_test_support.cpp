#include "tests/gif/gif_test_support.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace lumetrix::gif::testing {

namespace {

std::vector<RGBQuad> Colours(const ColorMapObject* map) {
  std::vector<RGBQuad> colours;
  if (map == nullptr) return colours;
  for (int i = 0; i < map->ColorCount; ++i)
    colours.push_back(MakeRGBQuad(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
  return colours;
}

}  // namespace

bool DecodeWithGiflib(const std::string& path, DecodedGif& out, std::string& error) {
  out = DecodedGif{};
  int code = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
  if (gif == nullptr) {
    error = std::string("open: ") + GifErrorString(code);
    return false;
  }
  if (DGifSlurp(gif) != GIF_OK) {
    error = std::string("read: ") + GifErrorString(gif->Error);
    DGifCloseFile(gif, &code);
    return false;
  }
  out.width = gif->SWidth;
  out.height = gif->SHeight;
  out.aspectByte = gif->AspectByte;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
      const ExtensionBlock& app = image.ExtensionBlocks[e];
      if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
          std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0) {
        const ExtensionBlock& data = image.ExtensionBlocks[e + 1];
        if (data.ByteCount == 3 && data.Bytes[0] == 1) out.loops = data.Bytes[1] | (data.Bytes[2] << 8);
      }
    }
    DecodedFrame f;
    f.left = image.ImageDesc.Left;
    f.top = image.ImageDesc.Top;
    f.width = image.ImageDesc.Width;
    f.height = image.ImageDesc.Height;
    f.interlaced = image.ImageDesc.Interlace;
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
      f.disposal = gcb.DisposalMode;
      f.delay = gcb.DelayTime;
      f.transparent = gcb.TransparentColor;
    }
    f.pixels.assign(image.RasterBits, image.RasterBits + static_cast<size_t>(f.width) * f.height);
    f.colours = Colours(image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap);
    out.frames.push_back(std::move(f));
  }
  DGifCloseFile(gif, &code);
  return true;
}

DecodedGif SaveAndDecode(const cGIF& doc, const std::string& path) {
  std::string error;
  EXPECT_TRUE(doc.Save(path, &error)) << error;
  DecodedGif gif;
  EXPECT_TRUE(DecodeWithGiflib(path, gif, error)) << error;
  return gif;
}

std::vector<std::pair<Picture, int>> Timeline(const DecodedGif& gif) {
  std::vector<std::pair<Picture, int>> timeline;
  Picture screen(static_cast<size_t>(gif.width) * gif.height, kBackground);
  for (const DecodedFrame& f : gif.frames) {
    const Picture before = screen;
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x) {
        const int sx = f.left + x, sy = f.top + y;
        if (sx >= gif.width || sy >= gif.height) continue;
        const int index = f.pixels[static_cast<size_t>(y) * f.width + x];
        if (index == f.transparent) continue;
        const RGBQuad c = index < static_cast<int>(f.colours.size()) ? f.colours[index] : RGBQuad{};
        screen[static_cast<size_t>(sy) * gif.width + sx] = (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
      }
    if (!timeline.empty() && timeline.back().first == screen) timeline.back().second += f.delay;
    else timeline.emplace_back(screen, f.delay);
    if (f.disposal == DISPOSE_BACKGROUND || f.disposal == DISPOSE_PREVIOUS) {
      for (int y = f.top; y < std::min(f.top + f.height, gif.height); ++y)
        for (int x = f.left; x < std::min(f.left + f.width, gif.width); ++x) {
          const size_t at = static_cast<size_t>(y) * gif.width + x;
          screen[at] = f.disposal == DISPOSE_BACKGROUND ? kBackground : before[at];
        }
    }
  }
  return timeline;
}

cDIB SolidPicture(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue) {
  cDIB dib;
  dib.Create(width, height, 32);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) dib.SetPixel(x, y, MakeRGBQuad(red, green, blue));
  return dib;
}

cDIB RenderedPicture(int32_t width, int32_t height, int frame, uint32_t seed) {
  cDIB dib;
  dib.Create(width, height, 32);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> grain(-3, 3);
  const double cx = width * (0.3 + 0.4 * std::sin(frame * 0.2));
  const double cy = height * (0.5 + 0.3 * std::cos(frame * 0.15));
  const double radius = std::max(4.0, std::min(width, height) / 6.0);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* p = dib.Row(y);
    for (int32_t x = 0; x < width; ++x, p += 4) {
      const double d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
      const double glow = 255.0 * std::exp(-d2);
      const double r = 40.0 * x / width + glow;
      const double g = 30.0 * y / height + 0.8 * glow;
      const double b = 60.0 * (1.0 - double(x) / width) + 0.3 * glow;
      p[0] = static_cast<uint8_t>(std::clamp(b + grain(random), 0.0, 255.0));
      p[1] = static_cast<uint8_t>(std::clamp(g + grain(random), 0.0, 255.0));
      p[2] = static_cast<uint8_t>(std::clamp(r + grain(random), 0.0, 255.0));
    }
  }
  return dib;
}

}  // namespace lumetrix::gif::testing
