#include "palettes/palette_catalogue.h"

#include <cstdio>

#include "palettes/build_lut.h"
#include "palettes/file_listing.h"
#include "palettes/pal_file.h"
#include "palettes/palette_kind.h"
#include "palettes/text_case.h"

namespace lumetrix::palettes {
namespace {

bool FileHasPalSignature(const std::filesystem::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  uint8_t head[kPalHeaderBytes] = {};
  const std::size_t got = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  return HasPalSignature(std::span<const uint8_t>(head, got));
}

}  // namespace

std::string CaptionOfFileName(std::string_view fileName) {
  const std::string_view stem = fileName.substr(0, fileName.size() >= 4 ? fileName.size() - 4 : 0);
  return UpperFirstUtf8(ToLowerUtf8(stem));
}

PaletteCatalogue::PaletteCatalogue() {
  for (std::string_view name : kBuiltInCaptions) entries_.push_back({std::string(name), {}});
}

bool PaletteCatalogue::LoadLuts(std::span<const std::filesystem::path> folders) {
  const PaletteEntry inUse =
      paletteIndex_ < Count() ? entries_[static_cast<std::size_t>(paletteIndex_)] : PaletteEntry{};
  std::vector<PaletteEntry> fresh;
  for (std::string_view name : kBuiltInCaptions) fresh.push_back({std::string(name), {}});
  const std::size_t builtIns = fresh.size();

  for (const std::filesystem::path& folder : folders) {
    const std::size_t fromEarlierFolders = fresh.size();
    for (const std::filesystem::path& file : ListFilesWithExtension(folder, ".pal")) {
      if (!FileHasPalSignature(file)) continue;
      std::string caption = CaptionOfFileName(file.filename().string());
      if (caption.empty()) continue;
      bool tookOver = false;
      for (std::size_t i = builtIns; i < fromEarlierFolders && !tookOver; ++i) {
        if (fresh[i].caption == caption) {
          fresh[i].file = file;
          tookOver = true;
        }
      }
      if (!tookOver) fresh.push_back({std::move(caption), file});
    }
  }
  entries_ = std::move(fresh);
  // The check mark and the index stay with the table in use: the same built-in, or the same file.
  const int32_t before = paletteIndex_;
  if (!inUse.IsBuiltIn() || paletteIndex_ >= Count()) {
    paletteIndex_ = 0;
    for (int32_t i = static_cast<int32_t>(builtIns); i < Count() && paletteIndex_ == 0; ++i)
      if (entries_[static_cast<std::size_t>(i)].file == inUse.file) paletteIndex_ = i;
  }
  checked_ = paletteIndex_;
  return paletteIndex_ == 0 && before != 0;
}

bool PaletteCatalogue::Choose(int32_t index, bool volumeLoaded) {
  if (!volumeLoaded) return false;
  if (index < 0 || index >= Count()) return false;
  if (index == checked_) return false;
  checked_ = index;
  paletteIndex_ = index;
  return true;
}

int32_t PaletteCatalogue::IndexOf(std::string_view name) const {
  const std::string wanted = ToLowerUtf8(name);
  for (int32_t i = 0; i < Count(); ++i)
    if (ToLowerUtf8(entries_[static_cast<std::size_t>(i)].caption) == wanted) return i;
  return -1;
}

bool PaletteCatalogue::SetPalette(std::string_view name, bool greyFlag) {
  if (!greyFlag) return false;
  const int32_t i = IndexOf(name);
  if (i < 0) return false;
  checked_ = i;
  paletteIndex_ = i;
  return true;
}

Lut PaletteCatalogue::TableFor(int32_t index) const {
  if (index < 0 || index >= Count()) return Lut::Filled(32);
  const PaletteEntry& entry = entries_[static_cast<std::size_t>(index)];
  const PaletteKind kind = KindOfCaption(entry.caption);
  return BuildLut(kind, entry.file);
}

}  // namespace lumetrix::palettes
