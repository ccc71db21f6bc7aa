#pragma once
// Helpers of the GIF tests: an independent decoder (giflib), a compositor that plays the decoded
// frames with their disposal methods, test pictures and the one fake progress bar.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "export/gif/dib.h"
#include "export/gif/gif_document.h"
#include "core/progress_sink.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::gif::testing {

using test_support::ReadBytes;
using test_support::TempDir;

struct DecodedFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  int disposal = 0;
  int delay = 0;
  int transparent = -1;  // -1: none
  std::vector<uint8_t> pixels;
  std::vector<RGBQuad> colours;  // the table the frame is shown with
};

struct DecodedGif {
  int width = 0, height = 0;
  int aspectByte = 0;
  int loops = -1;  // -1: no looping block
  std::vector<DecodedFrame> frames;
};

// Reads a GIF file with giflib; false and a reason when giflib rejects it.
bool DecodeWithGiflib(const std::string& path, DecodedGif& out, std::string& error);
// Saves the document to `path` and decodes it again (test failures when either fails).
DecodedGif SaveAndDecode(const cGIF& doc, const std::string& path);

// A picture on the logical screen: 0x00RRGGBB, or kBackground where nothing has been drawn.
inline constexpr uint32_t kBackground = 0xFF000000u;
using Picture = std::vector<uint32_t>;
// What a viewer shows, frame after frame, over a fresh screen: consecutive equal pictures are
// merged and their delays added.
std::vector<std::pair<Picture, int>> Timeline(const DecodedGif& gif);

// Test pictures (32-bit).
cDIB SolidPicture(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue);
// Red and green gradients over a noisy blue: many colours.
cDIB RenderedPicture(int32_t width, int32_t height, uint32_t seed);

// Every call, as ('M', maximum) or ('V', value).
struct RecordingProgress : ProgressSink {
  std::vector<std::pair<char, int>> calls;
  void ShowProgress(const std::string&, int32_t, int32_t max) override { calls.emplace_back('M', max); }
  void SetProgress(int32_t value) override { calls.emplace_back('V', value); }
  void HideProgress() override { calls.emplace_back('V', 0); }
};

}  // namespace lumetrix::gif::testing
