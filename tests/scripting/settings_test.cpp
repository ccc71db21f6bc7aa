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
  const std::tuple<const char*, int, int> cases[] = {
      {"42", 100, 42},  {" 42 ", 100, 42}, {"+7", 100, 7},  {"433.4", 1000, 433} /* text of a single */,
      {"433.5", 1000, 434}, {"101", 100, -1}, {"12abc", 100, -1}, {"abc", 100, -1}, {"", 100, -1},
      {"1e400", 100, -1}, {"nan", 100, -1}, {"99999999999999999999999", 100, -1}};
  for (const auto& [text, max, value] : cases) EXPECT_EQ(ParseInteger(text, 0, max, -1), value) << text;
  EXPECT_EQ(ParseInteger("-1", -1, 100, 5), -1);
}

TEST(EditorPreferences, DefaultsRoundTripAsDecimalTextAndGarbageFallsBack) {
  testing::TempSettings settings;
  EXPECT_EQ(EditorPreferences::Load(*settings.Open()), EditorPreferences{});
  const EditorPreferences d;
  EXPECT_TRUE(d.HSplit && d.VSplit && d.LToolTips && d.lineCase && d.LineNum && !d.WhiteSpace);
  EXPECT_EQ(d.LineNumStyle, 10);
  EditorPreferences p;
  p.HSplit = false, p.LToolTips = false, p.LineNumStyle = 16, p.WhiteSpace = true;
  p.Save(*settings.Open());
  EXPECT_EQ(settings.Get("Settings", "LineNumStyle").toString(), "16");
  EXPECT_EQ(settings.Get("Settings", "HSplit").toString(), "0");
  EXPECT_EQ(EditorPreferences::Load(*settings.Open()), p);
  const std::pair<const char*, QVariant> garbage[] = {
      {"HSplit", "yes"}, {"VSplit", "2"}, {"LToolTips", "-1"}, {"lineCase", ""}, {"LineNum", QStringList{"1", "0"}},
      {"LineNumStyle", "3"}, {"WhiteSpace", "1x"}};
  for (const auto& [key, value] : garbage) settings.Put("Settings", key, value);
  EXPECT_EQ(EditorPreferences::Load(*settings.Open()), EditorPreferences{});
  settings.Put("Settings", "LineNumStyle", "99999999999999999999");
  EXPECT_EQ(EditorPreferences::Load(*settings.Open()).LineNumStyle, 10);
  settings.Put("Settings", "LineNumStyle", "8");
  EXPECT_EQ(EditorPreferences::Load(*settings.Open()).LineNumStyle, 8);
}

TEST(ColorTable, RoundTripUnderTheClrKeysAndGarbageFallsBackPerValue) {
  testing::TempSettings settings;
  ColorTable t;
  t.Item(5) = {255, 0, 3};
  t.Item(17).text = 0x123456;
  t.Save(*settings.Open());
  const std::pair<const char*, QString> stored[] = {
      {"clr5fr", "255"}, {"clr5bg", "0"}, {"clr5fnt", "3"}, {"clr17fr", QString::number(0x123456)}, {"clr0fr", "-1"}};
  for (const auto& [key, text] : stored) EXPECT_EQ(settings.Get("Colors", key).toString(), text) << key;
  ColorTable loaded;
  loaded.Load(*settings.Open());
  EXPECT_EQ(loaded, t);
  // clr5bg is beyond 0x00FFFFFF; a stored style out of range (77) is kept and shown Normal.
  for (const auto& [key, text] : {std::pair{"clr5fr", "blue"}, {"clr5bg", "16777216"}, {"clr5fnt", "1"},
                                  {"clr8fr", "-2"}, {"clr9fnt", "77"}, {"clr11fnt", "x"}})
    settings.Put("Colors", key, text);
  loaded.Load(*settings.Open());
  EXPECT_EQ(loaded.Item(5), (ColorItem{16711680, 16777215, 1}));
  EXPECT_EQ(loaded.Item(8).text, 0);
  EXPECT_EQ(loaded.Item(9).style, 77);
  EXPECT_EQ(FontStyleOf(loaded.Item(9).style), FontStyle::Normal);
  EXPECT_EQ(FontStyleOf(4), FontStyle::Underline);
  EXPECT_EQ(loaded.Item(11).style, 0);
}

TEST(WindowPlacement, DefaultsRoundTripGarbageAndClampingToTheScreen) {
  testing::TempSettings settings;
  EXPECT_EQ(WindowPlacement::Load(*settings.Open()), WindowPlacement{});
  WindowPlacement p{120, 80, 700, 500};
  p.Save(*settings.Open());
  EXPECT_EQ(settings.Get("Settings", "ScriptWidth").toString(), "700");
  EXPECT_EQ(WindowPlacement::Load(*settings.Open()), p);
  settings.Put("Settings", "ScriptWidth", "wide");
  settings.Put("Settings", "ScriptHeight", "0");
  settings.Put("Settings", "ScriptLeft", "1e12");
  EXPECT_EQ(WindowPlacement::Load(*settings.Open()), (WindowPlacement{3, 80, 433, 433}));
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
