#pragma once
// Small TIFF files for the series tests, written and read back with libtiff alone so that the
// tests do not trust the code under test to check itself.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/progress_sink.h"

namespace lumetrix::series::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Names of everything in the folder, sorted.
  std::vector<std::string> Entries() const;

 private:
  std::string path_;
};

using GreyFn = std::function<uint8_t(int x, int y)>;
using RgbFn = std::function<std::array<uint8_t, 3>(int x, int y)>;  // red, green, blue

void WriteGreyTiff(const std::string& path, int width, int height, const GreyFn& value);
void WriteRgbTiff(const std::string& path, int width, int height, const RgbFn& value);
// A multi-page grey file, page p from value(p, x, y).
void WriteGreyPages(const std::string& path, int width, int height, int pages,
                    const std::function<uint8_t(int p, int x, int y)>& value);
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);

struct Page {
  uint32_t Width = 0, Height = 0;
  uint16_t Samples = 0, Bits = 0, Photometric = 0;
  std::vector<uint8_t> Data;  // as stored: rows top first, samples interleaved
  // Red, green or blue (0, 1, 2) of a pixel of an RGB page.
  uint8_t At(int x, int y, int sample) const {
    return Data[(static_cast<size_t>(y) * Width + static_cast<size_t>(x)) * Samples + static_cast<size_t>(sample)];
  }
};
// Every page of a TIFF file; throws std::runtime_error when libtiff cannot read it.
std::vector<Page> ReadPages(const std::string& path);

// Records a conversion's steps; asks it to stop once a step reached StopAt.
struct StepProgress : ProgressSink {
  void ShowProgress(const std::string&, int32_t, int32_t maximum) override { Maximum = maximum; }
  void SetProgress(int32_t value) override { Steps.push_back(value); }
  void HideProgress() override {}
  bool Cancelled() const override { return !Steps.empty() && Steps.back() >= StopAt; }
  int32_t Maximum = 0, StopAt = INT32_MAX;
  std::vector<int32_t> Steps;
};

}  // namespace lumetrix::series::testing
