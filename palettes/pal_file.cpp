#include "palettes/pal_file.h"

#include <cstdio>
#include <system_error>

#include "core/staged_file.h"
#include "palettes/palette_error.h"

namespace lumetrix::palettes {

bool HasPalSignature(std::span<const uint8_t> head) {
  return head.size() >= 11 && head[8] == 'P' && head[9] == 'A' && head[10] == 'L';
}

std::optional<Lut> ReadPalFile(const std::filesystem::path& path) {
  std::error_code ec;
  // Opening a FIFO or device named *.pal would block or read forever.
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::array<uint8_t, kPalFileBytes> raw{};
  const std::size_t got = std::fread(raw.data(), 1, raw.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || !HasPalSignature(std::span<const uint8_t>(raw.data(), got))) return std::nullopt;

  Lut lut;
  for (std::size_t c = 0; c < Lut::kEntries; ++c) {
    const uint8_t* e = raw.data() + kPalHeaderBytes + 4 * c;
    lut.Set(c, e[0], e[1], e[2]);
  }
  return lut;
}

std::array<uint8_t, kPalFileBytes> EncodePalFile(const Lut& table) {
  static constexpr uint8_t kHeader[kPalHeaderBytes] = {
      'R', 'I', 'F', 'F', 16, 4, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a', 't', 'a', 4, 4, 0, 0, 0, 3, 0, 1};
  std::array<uint8_t, kPalFileBytes> out{};
  for (std::size_t i = 0; i < kPalHeaderBytes; ++i) out[i] = kHeader[i];
  for (std::size_t c = 0; c < Lut::kEntries; ++c) {
    uint8_t* e = out.data() + kPalHeaderBytes + 4 * c;
    e[0] = table.Red(c);
    e[1] = table.Green(c);
    e[2] = table.Blue(c);
    e[3] = 0;
  }
  return out;
}

void WritePalFile(const std::filesystem::path& path, const Lut& table) {
  ThrowIfFailed(WriteFileStaged(path.string(), EncodePalFile(table)));
}

}  // namespace lumetrix::palettes
