#pragma once
// Helpers of the GIF tests: an independent decoder (giflib), a compositor that plays the
// decoded frames with their disposal methods, pictures to reduce and a scratch folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "export/gif/dib.h"
#include "export/gif/gif_document.h"

namespace lumetrix::gif::testing {

struct DecodedFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  bool hasControl = false;
  int disposal = 0;
  int delay = 0;
  int transparent = -1;  // -1: none
  std::vector<uint8_t> pixels;
  std::vector<RGBQuad> colours;  // the table the frame is shown with
};

struct DecodedGif {
  int width = 0, height = 0;
  int backgroundIndex = 0;
  int aspectByte = 0;
  std::vector<RGBQuad> globalColours;
  int loops = -1;  // -1: no looping block
  std::vector<DecodedFrame> frames;
};

// Reads a GIF file with giflib; false and a reason when giflib rejects it.
bool DecodeWithGiflib(const std::string& path, DecodedGif& out, std::string& error);

// A picture on the logical screen: 0x00RRGGBB, or kBackground where nothing has been drawn.
inline constexpr uint32_t kBackground = 0xFF000000u;
using Picture = std::vector<uint32_t>;

// What a viewer shows, frame after frame, over a fresh screen: consecutive equal pictures are
// merged and their delays added.
std::vector<std::pair<Picture, int>> Timeline(const DecodedGif& gif);

// Colour of frame i's pixel (x, y) through the document's palettes (0x00RRGGBB).
uint32_t DocumentColour(const cGIF& doc, int frame, int32_t x, int32_t y);

// Test pictures (32-bit).
cDIB SolidPicture(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue);
// Smooth colour gradients with a moving bright blob: like a rendered fluorescent volume.
cDIB RenderedPicture(int32_t width, int32_t height, int frame, uint32_t seed);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);

// A fresh empty folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // Names of the files in the folder.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

}  // namespace lumetrix::gif::testing
