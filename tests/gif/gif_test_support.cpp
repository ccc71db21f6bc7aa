#include "tests/gif/gif_test_support.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
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
  out.width = gif->SWidth, out.height = gif->SHeight, out.aspectByte = gif->AspectByte;
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
    const GifImageDesc& d = image.ImageDesc;
    DecodedFrame f{d.Left, d.Top, d.Width, d.Height, d.Interlace, 0, 0, -1, {}, {}};
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK)
      f.disposal = gcb.DisposalMode, f.delay = gcb.DelayTime, f.transparent = gcb.TransparentColor;
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

cDIB RenderedPicture(int32_t width, int32_t height, uint32_t seed) {
  cDIB dib;
  dib.Create(width, height, 32);
  std::mt19937 random(seed);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      dib.SetPixel(x, y, MakeRGBQuad(x * 255 / width, y * 255 / height, static_cast<uint8_t>(random() % 64 + 96)));
  return dib;
}

}  // namespace lumetrix::gif::testing
