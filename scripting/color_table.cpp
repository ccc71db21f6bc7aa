#include "scripting/color_table.h"

#include <QSettings>

#include "scripting/settings_values.h"

namespace lumetrix::scripting {

namespace {

constexpr int32_t kWhite = 16777215;

struct DefaultRow {
  const char* name;
  ColorItem item;
  ColorControls controls;
};

const std::array<DefaultRow, ColorTable::kSize>& Rows() {
  static const std::array<DefaultRow, ColorTable::kSize> rows{{
      {"", {-1, kWhite, 0}, ColorControls::All},  // no list entry: acts like "nothing selected"
      {"Comments", {32768, kWhite, 2}, ColorControls::TextAndBackground},
      {"Horizontal Divider Lines", {kWhite, 0, 0}, ColorControls::TextOnly},
      {"Vertical Divider Lines", {kWhite, 0, 0}, ColorControls::TextOnly},
      {"Highlighted Line", {65535, 0, 0}, ColorControls::TextOnly},
      {"Keywords", {16711680, kWhite, 0}, ColorControls::All},
      {"Left Margin", {kWhite, 0, 0}, ColorControls::TextOnly},
      {"Line Numbers", {986895, 10461087, 0}, ColorControls::All},
      {"Numbers", {0, kWhite, 0}, ColorControls::All},
      {"Operators", {255, kWhite, 0}, ColorControls::All},
      {"Scope Keywords", {16711680, kWhite, 0}, ColorControls::All},
      {"Strings", {8388736, kWhite, 0}, ColorControls::All},
      {"Tag Element Names", {128, kWhite, 1}, ColorControls::All},
      {"Tag Entries", {255, kWhite, 0}, ColorControls::All},
      {"Tag Attribute Names", {16711680, kWhite, 0}, ColorControls::All},
      {"Tag Text", {0, kWhite, 1}, ColorControls::All},
      {"Text", {0, kWhite, 0}, ColorControls::All},
      {"Window", {kWhite, 0, 0}, ColorControls::TextOnly},
  }};
  return rows;
}

QString Key(int index, const char* suffix) { return QStringLiteral("clr%1%2").arg(index).arg(QLatin1String(suffix)); }

}  // namespace

bool IsColorValue(int64_t value) { return value == -1 || (value >= 0 && value <= 0xFFFFFF); }

FontStyle FontStyleOf(int32_t stored) {
  return stored >= 0 && stored <= 4 ? static_cast<FontStyle>(stored) : FontStyle::Normal;
}

ColorTable::ColorTable() {
  for (int i = 0; i < kSize; ++i) items_[static_cast<size_t>(i)] = DefaultItem(i);
}

ColorItem ColorTable::DefaultItem(int index) { return Rows().at(static_cast<size_t>(index)).item; }

QString ColorTable::ItemName(int index) { return QString::fromLatin1(Rows().at(static_cast<size_t>(index)).name); }

ColorControls ColorTable::ControlsOf(int index) { return Rows().at(static_cast<size_t>(index)).controls; }

void ColorTable::Load(QSettings& settings) {
  for (int i = 0; i < kSize; ++i) {
    const ColorItem d = DefaultItem(i);
    ColorItem& item = items_[static_cast<size_t>(i)];
    const int64_t text = ReadInteger(settings, kColorsSection, Key(i, "fr"), INT32_MIN, INT32_MAX, d.text);
    const int64_t back = ReadInteger(settings, kColorsSection, Key(i, "bg"), INT32_MIN, INT32_MAX, d.background);
    item.text = IsColorValue(text) ? static_cast<int32_t>(text) : d.text;
    item.background = IsColorValue(back) ? static_cast<int32_t>(back) : d.background;
    // Any whole number is a stored style (out-of-range ones show as Normal); text is garbage.
    item.style = static_cast<int32_t>(ReadInteger(settings, kColorsSection, Key(i, "fnt"), INT32_MIN, INT32_MAX, d.style));
  }
}

void ColorTable::Save(QSettings& settings) const {
  for (int i = 0; i < kSize; ++i) {
    const ColorItem& item = items_[static_cast<size_t>(i)];
    WriteInteger(settings, kColorsSection, Key(i, "bg"), item.background);
    WriteInteger(settings, kColorsSection, Key(i, "fr"), item.text);
    WriteInteger(settings, kColorsSection, Key(i, "fnt"), item.style);
  }
}

}  // namespace lumetrix::scripting
