#pragma once
// The six recently used script paths of the editor's File menu, entry 0 first.

#include <QString>

#include <array>

class QSettings;

namespace lumetrix::scripting {

class ScriptMru {
 public:
  static constexpr int kSize = 6;

  const QString& Entry(int index) const { return entries_.at(static_cast<size_t>(index)); }
  const std::array<QString, kSize>& Entries() const { return entries_; }
  void SetEntry(int index, const QString& path) { entries_.at(static_cast<size_t>(index)) = path; }

  // A known path moves to the front (the entries before it move one place back); a new path
  // takes the first empty entry; with none empty everything shifts back and entry 5 drops out.
  void Add(const QString& path);

  // Keys "File0".."File5" of the "Settings" section. Values that are not plausible paths
  // (control characters, absurd length) read as empty entries.
  void Load(QSettings& settings);
  void Save(QSettings& settings) const;

 private:
  std::array<QString, kSize> entries_;
};

}  // namespace lumetrix::scripting
