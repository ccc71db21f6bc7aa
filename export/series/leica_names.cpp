#include "export/series/leica_names.h"

#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace lumetrix::series {

namespace {

void RemoveAll(std::string& text, const std::string& part) {
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) text.erase(at, part.size());
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string ChannelTag(int channel) {
  if (channel < 0 || channel >= kLeicaChannels) throw std::out_of_range("channel " + std::to_string(channel));
  return "_ch0" + std::to_string(channel);
}

bool IsFirstSlice(const std::string& name, int channel) {
  return name.find("_z000") != std::string::npos && name.find(ChannelTag(channel)) != std::string::npos;
}

std::string LeicaBaseName(const std::string& first_slice_name, int channel) {
  std::string base = first_slice_name;
  RemoveAll(base, ChannelTag(channel));
  RemoveAll(base, "_z000");
  RemoveAll(base, ".tif");
  return base;
}

std::string LeicaSliceName(const std::string& base, int32_t z, int channel) {
  if (z < 0 || z > kLastLeicaSlice) throw std::out_of_range("slice " + std::to_string(z));
  if (channel < 0 || channel >= kLeicaChannels) throw std::out_of_range("channel " + std::to_string(channel));
  char tail[32];
  std::snprintf(tail, sizeof tail, "_z%03d_ch%02d.tif", static_cast<int>(z), channel);
  return base + tail;
}

std::optional<SliceName> ParseSliceName(const std::string& name) {
  // "_zDDD_chCC.tif" is 14 characters.
  constexpr size_t kTail = 14;
  if (name.size() < kTail) return std::nullopt;
  const char* t = name.c_str() + name.size() - kTail;
  if (t[0] != '_' || t[1] != 'z' || !IsDigit(t[2]) || !IsDigit(t[3]) || !IsDigit(t[4])) return std::nullopt;
  if (t[5] != '_' || t[6] != 'c' || t[7] != 'h' || !IsDigit(t[8]) || !IsDigit(t[9])) return std::nullopt;
  if (std::string_view(t + 10, 4) != ".tif") return std::nullopt;
  const int channel = (t[8] - '0') * 10 + (t[9] - '0');
  if (channel >= kLeicaChannels) return std::nullopt;
  SliceName slice;
  slice.Base = name.substr(0, name.size() - kTail);
  slice.Z = (t[2] - '0') * 100 + (t[3] - '0') * 10 + (t[4] - '0');
  slice.Channel = channel;
  return slice;
}

std::string SliceToolTip(int32_t shown, int32_t last) {
  return "Slice Z=" + std::to_string(shown) + " of " + std::to_string(last);
}

}  // namespace lumetrix::series
