#pragma once
// Helpers of the series tests on top of the shared TIFF fixtures: files written and read back
// with libtiff alone, so that the tests do not trust the code under test to check itself; and
// the one fake progress of the converters.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::series::testing {

using test_support::TempDir;

// Names of everything in the folder, sorted.
std::vector<std::string> Entries(const TempDir& dir);
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
bool Exists(const std::string& path);

// 8-bit grey or RGB single-page files, value(x, y) per pixel.
void WriteGrey(const std::string& path, int width, int height, const std::function<int(int x, int y)>& value);
void WriteRgb(const std::string& path, int width, int height,
              const std::function<std::array<uint8_t, 3>(int x, int y)>& value);

struct Page {
  int Width = 0, Height = 0, Samples = 0;
  std::vector<uint8_t> Rgb;  // as libtiff's RGBA reader decodes it, rows top first
  uint8_t At(int x, int y, int colour) const { return Rgb[(static_cast<size_t>(y) * Width + x) * 3 + colour]; }
};
// Every page of a TIFF file; throws when libtiff cannot read it.
std::vector<Page> ReadPages(const std::string& path);

// Records every (done, total) and asks to stop once `StopAt` pages are done.
struct ProgressLog : ProgressSink {
  void ShowProgress(const std::string&, int32_t, int32_t maximum) override { total = maximum; }
  void SetProgress(int32_t done) override { Calls.emplace_back(done, total); }
  void HideProgress() override {}
  bool Cancelled() const override { return !Calls.empty() && Calls.back().first == StopAt; }
  std::vector<std::pair<int32_t, int32_t>> Calls;
  int32_t StopAt = -1, total = 0;
};

}  // namespace lumetrix::series::testing
