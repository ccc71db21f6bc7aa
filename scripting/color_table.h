#pragma once
// The editor's 18 syntax colour items, kept in the "Colors" section as "clr<i>fr" (text
// colour), "clr<i>bg" (background) and "clr<i>fnt" (font style). Colours are 0x00BBGGRR.

#include <QString>

#include <array>
#include <cstdint>

class QSettings;

namespace lumetrix::scripting {

enum class FontStyle { Normal = 0, Bold = 1, Italic = 2, BoldItalic = 3, Underline = 4 };

struct ColorItem {
  int32_t text = 0;        // -1: none
  int32_t background = 0;  // -1: none
  int32_t style = 0;       // as stored; see FontStyleOf

  bool operator==(const ColorItem&) const = default;
};

// Which of the three values the preferences list lets the user edit for an item.
enum class ColorControls { TextOnly, TextAndBackground, All };

class ColorTable {
 public:
  static constexpr int kSize = 18;
  // Item indices.
  static constexpr int kBookmarks = 0, kComments = 1, kHorizontalDividers = 2, kVerticalDividers = 3,
                       kHighlightedLine = 4, kKeywords = 5, kLeftMargin = 6, kLineNumbers = 7, kNumbers = 8,
                       kOperators = 9, kScopeKeywords = 10, kStrings = 11, kTagElementNames = 12,
                       kTagEntries = 13, kTagAttributeNames = 14, kTagText = 15, kText = 16, kWindow = 17;

  ColorTable();  // the defaults

  static ColorItem DefaultItem(int index);
  // List entry of item 1..17 ("Comments" ...); empty for item 0.
  static QString ItemName(int index);
  static ColorControls ControlsOf(int index);

  ColorItem& Item(int index) { return items_.at(static_cast<size_t>(index)); }
  const ColorItem& Item(int index) const { return items_.at(static_cast<size_t>(index)); }

  bool operator==(const ColorTable&) const = default;

  // Missing or garbage values read as that value's default.
  void Load(QSettings& settings);
  void Save(QSettings& settings) const;

 private:
  std::array<ColorItem, kSize> items_;
};

// Styles 0..4 are kept, any other stored value becomes Normal.
FontStyle FontStyleOf(int32_t stored);

// Valid colour values: -1 (none) and 0..0xFFFFFF.
bool IsColorValue(int64_t value);

}  // namespace lumetrix::scripting
