#include "viewer/recent_files.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <algorithm>

namespace lumetrix {
namespace {

constexpr const char* kGroup = "colMRUFiles";

std::string KeyOf(const std::string& path) { return QString::fromStdString(path).toUpper().toStdString(); }

}  // namespace

int cMRU::Find(const std::string& key) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].key == key) return static_cast<int>(i);
  return -1;
}

void cMRU::Add(const std::string& FileName) {
  const std::string key = KeyOf(FileName);
  if (const int at = Find(key); at >= 0) items_.erase(items_.begin() + at);
  items_.insert(items_.begin(), Item{key, FileName});
  if (!items_.empty() && count() > number_ && count() > 1) items_.pop_back();
}

void cMRU::Clear() { items_.clear(); }

std::string cMRU::ITem(int16_t Index) const {
  if (Index < 1 || Index > count()) return {};
  return items_[static_cast<size_t>(Index - 1)].path;
}

void cMRU::Load(const std::string& AppName) {
  QSettings settings(kProductName, QString::fromStdString(AppName));
  settings.beginGroup(kGroup);
  QStringList keys = settings.childKeys();
  if (keys.isEmpty()) return;
  // Keys are list positions; hand-edited stores may hold others, which go after them.
  std::stable_sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
    bool an = false, bn = false;
    const long long av = a.toLongLong(&an), bv = b.toLongLong(&bn);
    if (an && bn) return av < bv;
    if (an != bn) return an;
    return a < b;
  });
  Clear();
  for (const QString& k : keys) {
    const QVariant value = settings.value(k);
    if (!value.canConvert<QString>()) continue;
    const std::string path = value.toString().toStdString();
    if (path.empty()) continue;
    const std::string key = KeyOf(path);
    if (Find(key) >= 0) continue;  // a repeated path keeps its first place
    items_.push_back(Item{key, path});
  }
}

void cMRU::Save(const std::string& AppName) const {
  QSettings settings(kProductName, QString::fromStdString(AppName));
  settings.remove(kGroup);
  settings.beginGroup(kGroup);
  for (int i = 0; i < count(); ++i) settings.setValue(QString::number(i + 1), QString::fromStdString(items_[i].path));
  settings.endGroup();
  settings.sync();
}

void cMRU::Remove(const std::string& FileName) {
  if (const int at = Find(KeyOf(FileName)); at >= 0) items_.erase(items_.begin() + at);
}

void cMRU::Update(MruMenu& menu) const {
  const int entries = menu.MruEntryCount();
  for (int i = 0; i < std::min<int>(number_, entries); ++i) menu.SetMruEntry(i, ITem(static_cast<int16_t>(i + 1)), false);
  if (items_.empty()) return;
  for (int i = 0; i < count() && i < entries; ++i) menu.SetMruEntry(i, items_[i].path, true);
  for (int i = count(); i < entries; ++i) menu.SetMruEntry(i, {}, false);
}

}  // namespace lumetrix
