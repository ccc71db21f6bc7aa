#pragma once
// cMRU: the most recently opened volume files, kept in the settings store (group "colMRUFiles",
// keys "1", "2", ... in list order) and shown as entries of the File menu.

#include <cstdint>
#include <string>
#include <vector>

namespace lumetrix {

// The menu entries that show the list (a fixed number of them).
class MruMenu {
 public:
  virtual ~MruMenu() = default;
  virtual int MruEntryCount() const = 0;
  virtual void SetMruEntry(int index, const std::string& caption, bool visible) = 0;
};

class cMRU {
 public:
  static constexpr const char* kProductName = "Lumetrix";

  // Puts FileName first; paths differing only in letter case count as one file, and the
  // letter case used last is kept.
  void Add(const std::string& FileName);
  void Clear();
  int32_t count() const { return static_cast<int32_t>(items_.size()); }
  // Item at 1-based Index; empty when there is none.
  std::string ITem(int16_t Index) const;
  // Reads the stored list (left unchanged when nothing is stored). Not cut to Number.
  void Load(const std::string& AppName = kProductName);
  void Save(const std::string& AppName = kProductName) const;
  void Remove(const std::string& FileName);
  void Update(MruMenu& menu) const;

  int16_t Number() const { return number_; }
  void SetNumber(int16_t n) { number_ = n; }

 private:
  struct Item {
    std::string key;  // upper case
    std::string path;
  };
  int Find(const std::string& key) const;

  std::vector<Item> items_;
  int16_t number_ = 5;
};

}  // namespace lumetrix
