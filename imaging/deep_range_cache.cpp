#include "imaging/deep_range_cache.h"

#include <deque>
#include <map>
#include <mutex>
#include <tuple>

namespace lumetrix::imaging::detail {

namespace {

struct Key {
  std::string path;
  FileStamp stamp;
  bool operator<(const Key& o) const {
    return std::tie(path, stamp.size, stamp.mtime_ns, stamp.inode, stamp.device) <
           std::tie(o.path, o.stamp.size, o.stamp.mtime_ns, o.stamp.inode, o.stamp.device);
  }
};

// A handful of files is plenty: only the stacks open at the same time need their range.
constexpr size_t kMaxEntries = 64;

std::mutex g_mutex;
std::map<Key, std::pair<double, double>> g_ranges;
std::deque<Key> g_order;

}  // namespace

bool FindDeepRange(const std::string& path, const FileStamp& stamp, std::pair<double, double>& range) {
  std::lock_guard lock(g_mutex);
  const auto it = g_ranges.find(Key{path, stamp});
  if (it == g_ranges.end()) return false;
  range = it->second;
  return true;
}

void StoreDeepRange(const std::string& path, const FileStamp& stamp, std::pair<double, double> range) {
  std::lock_guard lock(g_mutex);
  Key key{path, stamp};
  if (!g_ranges.emplace(key, range).second) return;
  g_order.push_back(std::move(key));
  if (g_order.size() > kMaxEntries) {
    g_ranges.erase(g_order.front());
    g_order.pop_front();
  }
}

}  // namespace lumetrix::imaging::detail
