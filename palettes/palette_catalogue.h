#pragma once
// The model behind the Palette menu: the eight built-in tables, then one entry per palette file,
// which entry carries the check mark, and which table is in use (PaletteIndex).

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "palettes/lut.h"

namespace lumetrix::palettes {

struct PaletteEntry {
  std::string caption;
  // The palette file this entry was made from; empty for the built-ins. Kept because the
  // lower-cased caption cannot find the file again on a case-sensitive file system.
  std::filesystem::path file;

  bool IsBuiltIn() const { return file.empty(); }
};

// The menu caption of a palette file name: without its last four characters (".pal"), lower
// case, first character upper case ("deep SEA.pal" -> "Deep sea").
std::string CaptionOfFileName(std::string_view fileName);

class PaletteCatalogue {
 public:
  // The eight built-ins, the check mark on entry 0, PaletteIndex 0.
  PaletteCatalogue();

  // Refills the menu: the built-ins, then one entry per "*.pal" file with the "PAL" signature,
  // folder by folder in the given order (bundled folder first, then the user's), each folder
  // sorted by file name. A file whose caption equals that of a file from an earlier folder takes
  // over that entry, so the user's own "Fire" replaces a bundled "Fire". Entries of files that
  // are gone are dropped. The check mark and PaletteIndex follow the table in use (the same
  // built-in or the same file); when its file is gone they go to "Grey", and the result is true
  // (the textures must be rebuilt). Never throws: unreadable folders and files are skipped.
  bool LoadLuts(std::span<const std::filesystem::path> folders);

  const std::vector<PaletteEntry>& Entries() const { return entries_; }
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  int32_t CheckedIndex() const { return checked_; }
  int32_t PaletteIndex() const { return paletteIndex_; }

  // The user chose menu entry index. True when the textures must be rebuilt. Nothing happens
  // (false) without a loaded volume, for the entry that already carries the check mark, or for
  // an index outside the menu.
  bool Choose(int32_t index, bool volumeLoaded);

  // The first entry whose caption equals name ignoring case; -1 when none does.
  int32_t IndexOf(std::string_view name) const;

  // A script chose a table by name: the first entry whose caption equals name ignoring case.
  // Nothing happens (false) while the volume's grey flag is not set or when nothing matches;
  // otherwise true (rebuild) even when that entry was in use already.
  bool SetPalette(std::string_view name, bool greyFlag);

  // Grey volumes are shown through a table from PaletteIndex 1 on; entry 0 ("Grey") and colour
  // volumes use none.
  bool UsesTable(bool volumeIsGrey) const { return volumeIsGrey && paletteIndex_ >= 1; }

  // The table of entry index, built anew: by kind of caption (built-in names first, so a file
  // captioned "Red" shows the red ramp), palette files read again from their path. A file that
  // vanished or lost its signature, or an index without an entry, gives the table of byte 32.
  Lut TableFor(int32_t index) const;
  Lut CurrentTable() const { return TableFor(paletteIndex_); }

 private:
  std::vector<PaletteEntry> entries_;
  int32_t checked_ = 0;
  int32_t paletteIndex_ = 0;
};

}  // namespace lumetrix::palettes
