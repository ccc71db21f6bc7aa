#include <gtest/gtest.h>

#include <QSettings>

#include "scripting/color_table.h"
#include "scripting/editor_preferences.h"
#include "scripting/settings_values.h"
#include "scripting/window_placement.h"
#include "tests/scripting/temp_settings.h"

namespace lumetrix::scripting {
namespace {

TEST(ParseInteger, StrictDecimalTextWithinRange) {
  EXPECT_EQ(ParseInteger("42", 0, 100, -1), 42);
  EXPECT_EQ(ParseInteger(" 42 ", 0, 100, -1), 42);
  EXPECT_EQ(ParseInteger("+7", 0, 100, -1), 7);
  EXPECT_EQ(ParseInteger("-1", -1, 100, 5), -1);
  EXPECT_EQ(ParseInteger("433.4", 0, 1000, -1), 433);  // decimal text of a single
  EXPECT_EQ(ParseInteger("433.5", 0, 1000, -1), 434);
  EXPECT_EQ(ParseInteger("101", 0, 100, -1), -1);
  EXPECT_EQ(ParseInteger("12abc", 0, 100, -1), -1);
  EXPECT_EQ(ParseInteger("abc", 0, 100, -1), -1);
  EXPECT_EQ(ParseInteger("", 0, 100, -1), -1);
  EXPECT_EQ(ParseInteger("1e400", 0, 100, -1), -1);
  EXPECT_EQ(ParseInteger("nan", 0, 100, -1), -1);
  EXPECT_EQ(ParseInteger("99999999999999999999999", 0, 100, -1), -1);
}

TEST(EditorPreferences, DefaultsWhenNothingIsStored) {
  testing::TempSettings settings;
  auto s = settings.Open();
  const EditorPreferences p = EditorPreferences::Load(*s);
  EXPECT_TRUE(p.HSplit);
  EXPECT_TRUE(p.VSplit);
  EXPECT_TRUE(p.LToolTips);
  EXPECT_TRUE(p.lineCase);
  EXPECT_TRUE(p.LineNum);
  EXPECT_EQ(p.LineNumStyle, 10);
  EXPECT_FALSE(p.WhiteSpace);
}

TEST(EditorPreferences, RoundTripAsDecimalText) {
  testing::TempSettings settings;
  EditorPreferences p;
  p.HSplit = false;
  p.LToolTips = false;
  p.LineNumStyle = 16;
  p.WhiteSpace = true;
  {
    auto s = settings.Open();
    p.Save(*s);
  }
  EXPECT_EQ(settings.Get("Settings", "LineNumStyle").toString(), "16");
  EXPECT_EQ(settings.Get("Settings", "HSplit").toString(), "0");
  EXPECT_EQ(settings.Get("Settings", "WhiteSpace").toString(), "1");
  auto s = settings.Open();
  EXPECT_EQ(EditorPreferences::Load(*s), p);
}

TEST(EditorPreferences, GarbageFallsBackToTheDefaults) {
  testing::TempSettings settings;
  settings.Put("Settings", "HSplit", "yes");
  settings.Put("Settings", "VSplit", "2");
  settings.Put("Settings", "LToolTips", "-1");
  settings.Put("Settings", "lineCase", "");
  settings.Put("Settings", "LineNum", QStringList{"1", "0"});
  settings.Put("Settings", "LineNumStyle", "3");
  settings.Put("Settings", "WhiteSpace", "1x");
  auto s = settings.Open();
  EXPECT_EQ(EditorPreferences::Load(*s), EditorPreferences{});
  settings.Put("Settings", "LineNumStyle", "99999999999999999999");
  EXPECT_EQ(EditorPreferences::Load(*settings.Open()).LineNumStyle, 10);
  settings.Put("Settings", "LineNumStyle", "8");
  EXPECT_EQ(EditorPreferences::Load(*settings.Open()).LineNumStyle, 8);
}

TEST(EditorPreferences, RadixNames) {
  for (int radix : {2, 8, 10, 16}) EXPECT_EQ(RadixOfName(RadixName(radix)), radix);
  EXPECT_EQ(RadixName(2), "Binary");
  EXPECT_EQ(RadixName(16), "Hexadecimal");
  EXPECT_EQ(RadixOfName("Roman"), 10);
}

TEST(ColorTable, DefaultsOfTheEighteenItems) {
  const ColorTable t;
  EXPECT_EQ(t.Item(0), (ColorItem{-1, 16777215, 0}));
  EXPECT_EQ(t.Item(ColorTable::kComments), (ColorItem{32768, 16777215, 2}));
  EXPECT_EQ(t.Item(ColorTable::kKeywords), (ColorItem{16711680, 16777215, 0}));
  EXPECT_EQ(t.Item(ColorTable::kLineNumbers), (ColorItem{986895, 10461087, 0}));
  EXPECT_EQ(t.Item(ColorTable::kStrings).text, 8388736);
  EXPECT_EQ(t.Item(ColorTable::kTagElementNames), (ColorItem{128, 16777215, 1}));
  EXPECT_EQ(t.Item(ColorTable::kWindow), (ColorItem{16777215, 0, 0}));
  EXPECT_EQ(ColorTable::ItemName(1), "Comments");
  EXPECT_EQ(ColorTable::ItemName(17), "Window");
  EXPECT_EQ(ColorTable::ItemName(0), "");
}

TEST(ColorTable, WhichControlsEachItemHas) {
  for (int i : {2, 3, 4, 6, 17}) EXPECT_EQ(ColorTable::ControlsOf(i), ColorControls::TextOnly) << i;
  EXPECT_EQ(ColorTable::ControlsOf(1), ColorControls::TextAndBackground);
  for (int i : {0, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) EXPECT_EQ(ColorTable::ControlsOf(i), ColorControls::All) << i;
}

TEST(ColorTable, RoundTripUnderTheClrKeys) {
  testing::TempSettings settings;
  ColorTable t;
  t.Item(5) = {255, 0, 3};
  t.Item(17).text = 0x123456;
  {
    auto s = settings.Open();
    t.Save(*s);
  }
  EXPECT_EQ(settings.Get("Colors", "clr5fr").toString(), "255");
  EXPECT_EQ(settings.Get("Colors", "clr5bg").toString(), "0");
  EXPECT_EQ(settings.Get("Colors", "clr5fnt").toString(), "3");
  EXPECT_EQ(settings.Get("Colors", "clr17fr").toString(), QString::number(0x123456));
  EXPECT_EQ(settings.Get("Colors", "clr0fr").toString(), "-1");
  ColorTable loaded;
  loaded.Load(*settings.Open());
  EXPECT_EQ(loaded, t);
}

TEST(ColorTable, GarbageFallsBackPerValue) {
  testing::TempSettings settings;
  settings.Put("Colors", "clr5fr", "blue");
  settings.Put("Colors", "clr5bg", "16777216");  // beyond 0x00FFFFFF
  settings.Put("Colors", "clr5fnt", "1");
  settings.Put("Colors", "clr8fr", "-2");
  settings.Put("Colors", "clr9fnt", "77");  // a stored style out of range is kept, shown Normal
  settings.Put("Colors", "clr11fnt", "x");
  ColorTable loaded;
  loaded.Load(*settings.Open());
  EXPECT_EQ(loaded.Item(5), (ColorItem{16711680, 16777215, 1}));
  EXPECT_EQ(loaded.Item(8).text, 0);
  EXPECT_EQ(loaded.Item(9).style, 77);
  EXPECT_EQ(FontStyleOf(loaded.Item(9).style), FontStyle::Normal);
  EXPECT_EQ(loaded.Item(11).style, 0);
}

TEST(FontStyleOf, KeepsZeroToFourOnly) {
  EXPECT_EQ(FontStyleOf(0), FontStyle::Normal);
  EXPECT_EQ(FontStyleOf(3), FontStyle::BoldItalic);
  EXPECT_EQ(FontStyleOf(4), FontStyle::Underline);
  EXPECT_EQ(FontStyleOf(5), FontStyle::Normal);
  EXPECT_EQ(FontStyleOf(-1), FontStyle::Normal);
}

TEST(WindowPlacement, DefaultsRoundTripAndGarbage) {
  testing::TempSettings settings;
  EXPECT_EQ(WindowPlacement::Load(*settings.Open()), WindowPlacement{});
  WindowPlacement p{120, 80, 700, 500};
  p.Save(*settings.Open());
  EXPECT_EQ(settings.Get("Settings", "ScriptWidth").toString(), "700");
  EXPECT_EQ(WindowPlacement::Load(*settings.Open()), p);
  settings.Put("Settings", "ScriptWidth", "wide");
  settings.Put("Settings", "ScriptHeight", "0");
  settings.Put("Settings", "ScriptLeft", "1e12");
  const WindowPlacement back = WindowPlacement::Load(*settings.Open());
  EXPECT_EQ(back.width, 433);
  EXPECT_EQ(back.height, 433);
  EXPECT_EQ(back.left, 3);
  EXPECT_EQ(back.top, 80);
}

TEST(WindowPlacement, ClampedToTheScreen) {
  const QRect screen(0, 30, 1280, 770);
  EXPECT_EQ(ClampToScreen({3, 3, 433, 433}, screen), (WindowPlacement{3, 30, 433, 433}));
  EXPECT_EQ(ClampToScreen({5000, -400, 433, 433}, screen), (WindowPlacement{1280 - 433, 30, 433, 433}));
  EXPECT_EQ(ClampToScreen({0, 30, 5000, 5000}, screen), (WindowPlacement{0, 30, 1280, 770}));
  EXPECT_EQ(ClampToScreen({10, 40, 100, 50}, screen), (WindowPlacement{10, 40, 267, 267}));
  // A screen smaller than the minimum keeps the minimum, at the screen's corner.
  EXPECT_EQ(ClampToScreen({50, 50, 100, 100}, QRect(0, 0, 200, 200)), (WindowPlacement{0, 0, 267, 267}));
  // No screen known: only the minimum applies.
  EXPECT_EQ(ClampToScreen({-50, -50, 10, 10}, QRect()), (WindowPlacement{-50, -50, 267, 267}));
}

}  // namespace
}  // namespace lumetrix::scripting
