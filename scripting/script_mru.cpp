#include "scripting/script_mru.h"

#include <QSettings>

#include "scripting/settings_values.h"

namespace lumetrix::scripting {

void ScriptMru::Add(const QString& path) {
  if (path.isEmpty()) return;
  for (int i = 0; i < kSize; ++i) {
    if (entries_[static_cast<size_t>(i)] == path) {
      for (int k = i; k > 0; --k) entries_[static_cast<size_t>(k)] = entries_[static_cast<size_t>(k - 1)];
      entries_[0] = path;
      return;
    }
  }
  for (auto& entry : entries_) {
    if (entry.isEmpty()) {
      entry = path;
      return;
    }
  }
  for (int k = kSize - 1; k > 0; --k) entries_[static_cast<size_t>(k)] = entries_[static_cast<size_t>(k - 1)];
  entries_[0] = path;
}

namespace {

bool PlausiblePath(const QString& text) {
  if (text.size() > 4096) return false;
  for (QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
  return true;
}

}  // namespace

void ScriptMru::Load(QSettings& settings) {
  for (int i = 0; i < kSize; ++i) {
    const QString value = ReadText(settings, kSettingsSection, QStringLiteral("File%1").arg(i), QString());
    entries_[static_cast<size_t>(i)] = PlausiblePath(value) ? value : QString();
  }
}

void ScriptMru::Save(QSettings& settings) const {
  for (int i = 0; i < kSize; ++i)
    WriteText(settings, kSettingsSection, QStringLiteral("File%1").arg(i), entries_[static_cast<size_t>(i)]);
}

}  // namespace lumetrix::scripting
