#include "palettes/curve_file.h"

#include <charconv>
#include <cstdio>
#include <system_error>
#include <vector>

#include "core/staged_file.h"
#include "palettes/palette_error.h"

namespace lumetrix::palettes {
namespace {

constexpr std::size_t kNumbers = kChannels + 2 * kChannels * kCurvePoints;  // 57
constexpr std::size_t kMaxFileBytes = 64 * 1024;
constexpr const char* kChannelNames[kChannels] = {"red", "green", "blue"};

template <typename Array>
void AppendLine(std::string& out, const Array& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(values[i]);
  }
  out += "\r\n";
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<int64_t> Numbers(std::string_view text) {
  std::vector<int64_t> numbers;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size() && numbers.size() < kNumbers; ++i) {
    const bool end = i == text.size();
    const char ch = end ? '\n' : text[i];
    if (ch != ',' && ch != '\r' && ch != '\n') continue;
    const std::string_view field = Trim(text.substr(start, i - start));
    start = i + 1;
    // An empty field before a line end (CR LF, blank lines, a comma ending a line, the end of
    // the file) is no number; an empty field between two commas is a missing one.
    if (field.empty() && ch != ',') continue;
    if (field.empty()) throw PaletteError("This curve file is damaged: a number is missing.");
    int64_t value = 0;
    const char* first = field.data();
    if (*first == '+') ++first;
    const char* last = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || first == last)
      throw PaletteError("This curve file is damaged: \"" + std::string(field.substr(0, 20)) +
                         "\" is not a whole number.");
    numbers.push_back(value);
  }
  if (numbers.size() < kNumbers)
    throw PaletteError("This curve file is incomplete: it holds " + std::to_string(numbers.size()) + " of the " +
                       std::to_string(kNumbers) + " numbers a curve file needs.");
  return numbers;
}

}  // namespace

std::string EncodeCurveFile(const CurveSet& curves) {
  std::string out;
  AppendLine(out, curves.pointCount);
  for (const auto& xs : curves.pointX) AppendLine(out, xs);
  for (const auto& ys : curves.pointY) AppendLine(out, ys);
  return out;
}

CurveSet DecodeCurveFile(std::string_view text) {
  const std::vector<int64_t> n = Numbers(text);
  CurveSet curves;
  std::size_t at = 0;
  for (int c = 0; c < kChannels; ++c) {
    const int64_t count = n[at++];
    if (count < 2 || count > 9)
      throw PaletteError("This curve file is damaged: the " + std::string(kChannelNames[c]) + " curve has " +
                         std::to_string(count) + " points; 2 to 9 are possible.");
    curves.pointCount[static_cast<std::size_t>(c)] = static_cast<int32_t>(count);
  }
  for (auto* coords : {&curves.pointX, &curves.pointY}) {
    for (int c = 0; c < kChannels; ++c) {
      for (int i = 0; i < kCurvePoints; ++i) {
        const int64_t v = n[at++];
        if (v < 0 || v > 255)
          throw PaletteError("This curve file is damaged: point " + std::to_string(i) + " of the " +
                             kChannelNames[c] + " curve lies at " + std::to_string(v) + ", outside 0..255.");
        (*coords)[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] = static_cast<int32_t>(v);
      }
    }
  }
  return curves;
}

CurveSet ReadCurveFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw PaletteError("The curve file " + path.string() + " does not exist.");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw PaletteError("Could not open the curve file " + path.string() + ".");
  std::string text(kMaxFileBytes + 1, '\0');
  const std::size_t got = std::fread(text.data(), 1, text.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw PaletteError("Could not read the curve file " + path.string() + ".");
  if (got > kMaxFileBytes) throw PaletteError(path.filename().string() + " is too large to be a curve file.");
  text.resize(got);
  try {
    return DecodeCurveFile(text);
  } catch (const PaletteError& e) {
    std::string why = e.what();
    const std::string prefix = "This curve file";
    if (why.rfind(prefix, 0) == 0) why = path.filename().string() + why.substr(prefix.size());
    throw PaletteError(why);
  }
}

void WriteCurveFile(const std::filesystem::path& path, const CurveSet& curves) {
  const std::string text = EncodeCurveFile(curves);
  ThrowIfFailed(WriteFileStaged(path.string(), std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
}

}  // namespace lumetrix::palettes
