// libFuzzer target: the settings file the program reads at start (an INI text anyone can edit).
// Whatever it holds, the values read are within their ranges and survive a save and a reload.
#include <QSettings>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz_input_file.h"
#include "scripting/color_table.h"
#include "scripting/editor_preferences.h"
#include "scripting/script_mru.h"
#include "scripting/settings_values.h"
#include "scripting/window_placement.h"

namespace {

using namespace lumetrix::scripting;

struct Read {
  EditorPreferences preferences;
  ColorTable colors;
  ScriptMru recent;
  WindowPlacement placement;
};

Read ReadAll(QSettings& settings) {
  Read r;
  r.preferences = EditorPreferences::Load(settings);
  r.colors.Load(settings);
  r.recent.Load(settings);
  r.placement = WindowPlacement::Load(settings);
  return r;
}

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const int64_t parsed = ParseInteger(text, -1000, 1000, 7);
  Require(parsed == 7 || (parsed >= -1000 && parsed <= 1000));

  const std::string path = lumetrix::fuzz::InputFile(data, size, ".conf");
  QSettings stored(QString::fromStdString(path), QSettings::IniFormat);
  const Read first = ReadAll(stored);
  Require(IsLineNumberRadix(first.preferences.LineNumStyle));
  for (int i = 0; i < ColorTable::kSize; ++i) {
    Require(IsColorValue(first.colors.Item(i).text) && IsColorValue(first.colors.Item(i).background));
  }

  const std::string again = path + ".saved";
  std::remove(again.c_str());
  {
    QSettings saved(QString::fromStdString(again), QSettings::IniFormat);
    first.preferences.Save(saved);
    first.colors.Save(saved);
    first.recent.Save(saved);
    first.placement.Save(saved);
  }
  QSettings reread(QString::fromStdString(again), QSettings::IniFormat);
  const Read second = ReadAll(reread);
  Require(second.preferences == first.preferences && second.colors == first.colors &&
          second.recent.Entries() == first.recent.Entries() && second.placement == first.placement);
  return 0;
}
