#include "tests/series/series_fixtures.h"

#include <algorithm>
#include <filesystem>

namespace lumetrix::series::testing {

namespace ts = lumetrix::test_support;

std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteText(const std::string& path, const std::string& text) { ts::WriteBytes(path, {text.begin(), text.end()}); }

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ts::ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

void WriteGrey(const std::string& path, int width, int height, const std::function<int(int, int)>& value) {
  ts::TiffLayout layout;
  layout.width = width, layout.height = height;
  ts::WriteTiff(path, layout, [&](int, int x, int y, int) { return value(x, y); });
}

void WriteRgb(const std::string& path, int width, int height,
              const std::function<std::array<uint8_t, 3>(int, int)>& value) {
  ts::TiffLayout layout;
  layout.width = width, layout.height = height, layout.samples = ts::TiffSamples::kRgb8;
  ts::WriteTiff(path, layout, [&](int, int x, int y, int c) { return value(x, y)[static_cast<size_t>(c)]; });
}

std::vector<Page> ReadPages(const std::string& path) {
  std::vector<Page> pages;
  for (int i = 0; i < ts::CountTiffPages(path); ++i) {
    ts::RgbPage rgb = ts::ReadTiffRgb(path, i);
    pages.push_back(Page{rgb.width, rgb.height, ts::ReadTiffInfo(path, i).samples, std::move(rgb.rgb)});
  }
  return pages;
}

}  // namespace lumetrix::series::testing
