#include "streaming/pyramid_cache.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/file_probe.h"
#include "imaging/image_box.h"
#include "streaming/pyramid_builder.h"
#include "streaming/pyramid_metadata.h"

namespace lumetrix::streaming {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMostDefaultBound = uint64_t{20} << 30;
constexpr const char* kUsedMark = ".lumetrix-used";
constexpr const char* kTemporary = ".tmp-";
constexpr uintmax_t kMostMetadataBytes = uintmax_t{4} << 20;

// FNV-1a: entry names need to be stable and spread, not secret (the key inside is compared).
uint64_t Hash(const std::string& text) {
  uint64_t h = 14695981039346656037ull;
  for (const unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  return h;
}

std::string Host() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "host";
  std::string host(name);
  for (char& c : host)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.') c = '_';
  return host.empty() ? "host" : host;
}

// ".tmp-<host>-<pid>-XXXXXX": whether the process that made it has ended (on this machine).
bool AbandonedTemporary(const std::string& name) {
  if (name.rfind(kTemporary, 0) != 0) return false;
  const size_t last = name.rfind('-');
  const size_t before = last == std::string::npos || last == 0 ? std::string::npos : name.rfind('-', last - 1);
  if (before == std::string::npos || before < std::strlen(kTemporary)) return false;
  const std::string host = name.substr(std::strlen(kTemporary), before - std::strlen(kTemporary));
  const std::string pid = name.substr(before + 1, last - before - 1);
  if (host != Host() || pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos) return false;
  return ::kill(static_cast<pid_t>(std::stol(pid)), 0) != 0 && errno == ESRCH;
}

bool IsEntryName(const std::string& name) {
  return name.size() == 21 && name.compare(16, 5, ".zarr") == 0 &&
         name.find_first_not_of("0123456789abcdef") == 16;
}

uint64_t DiskBytes(const fs::path& folder) {
  uint64_t total = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) == 0) total += uint64_t(st.st_blocks) * 512;
  }
  return total;
}

std::optional<std::string> ReadSmallFile(const fs::path& path) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  if (ec || size > kMostMetadataBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A whole entry built from `key`: its metadata names the key and every level has its array.
bool Holds(const std::string& entry, const PyramidKey& key) {
  const std::optional<std::string> text = ReadSmallFile(fs::path(entry) / ".zattrs");
  if (!text) return false;
  try {
    const PyramidAttributes a = ReadPyramidAttributes(*text, ".zattrs of " + entry);
    if (!(a.key == key)) return false;
    std::error_code ec;
    for (int32_t level = 0; level < a.levels; ++level)
      if (!fs::is_regular_file(fs::path(entry) / std::to_string(level) / ".zarray", ec)) return false;
    return true;
  } catch (const imaging::ImageError&) {
    return false;
  }
}

std::string Reason(int code) {
  switch (code) {
    case EACCES: case EPERM: case EROFS: return "the folder is read-only";
    case ENOSPC: case EDQUOT: return "the disk is full";
    case EEXIST: case ENOTDIR: return "a file stands where the folder should be";
    default: {
      std::string text = std::strerror(code);
      if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
      return text;
    }
  }
}

}  // namespace

std::string PyramidCacheMessage(const std::string& file_name, const std::string& folder, int code) {
  return "The pyramid of " + file_name + " cannot be kept in " + folder + " (" + Reason(code) +
         "); it is shown from memory.";
}

std::string DefaultPyramidCacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  std::string base = xdg && xdg[0] == '/' ? xdg : "";
  if (base.empty()) {
    const char* home = std::getenv("HOME");
    const passwd* user = home && home[0] ? nullptr : ::getpwuid(::getuid());  // HOME unset: the account's
    base = std::string(home && home[0] ? home : user && user->pw_dir ? user->pw_dir : "") + "/.cache";
  }
  return base + "/lumetrix/pyramids";
}

uint64_t DefaultPyramidCacheBound(const std::string& folder, uint64_t held) {
  struct statvfs st {};
  if (::statvfs(folder.c_str(), &st) != 0) return kMostDefaultBound;
  const uint64_t free_bytes = uint64_t(st.f_bavail) * uint64_t(st.f_frsize);
  return std::min(kMostDefaultBound, (free_bytes + held) / 4);
}

PyramidCache::PyramidCache(std::string folder, uint64_t bound_bytes, Clock clock)
    : folder_(std::move(folder)), bound_(bound_bytes), clock_(std::move(clock)) {}

std::string PyramidCache::EntryFolder(const std::string& absolute_path, int32_t series) const {
  char name[24];
  std::snprintf(name, sizeof name, "%016llx.zarr",
                static_cast<unsigned long long>(Hash(absolute_path + '\0' + std::to_string(series))));
  return folder_ + "/" + name;
}

std::string PyramidCache::MakeTemporary(int& code) const {
  std::string pattern = folder_ + "/" + kTemporary + Host() + "-" + std::to_string(::getpid()) + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    code = errno;
    return {};
  }
  return pattern;
}

bool PyramidCache::Remove(const std::string& entry) const {
  // Renamed first: other processes see the whole entry or none of it.
  int code = 0;
  const std::string aside = MakeTemporary(code);
  std::error_code ec;
  if (!aside.empty() && ::rename(entry.c_str(), aside.c_str()) != 0) {
    const int why = errno;
    fs::remove(aside, ec);
    return why == ENOENT;
  }
  fs::remove_all(aside.empty() ? entry : aside, ec);
  return !ec;
}

void PyramidCache::MarkUsed(const std::string& entry) const {
  const std::string mark = entry + "/" + kUsedMark;
  const int fd = ::open(mark.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;  // a read-only cache still serves its entries
  timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
  if (clock_) {
    const int64_t ns = clock_();
    times[0] = times[1] = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
  }
  ::futimens(fd, times);
  ::close(fd);
}

std::optional<std::string> PyramidCache::Find(const std::string& path, int32_t series) {
  PyramidKey key;
  try {
    key = KeyOf(path, series);
  } catch (const imaging::ImageError&) {
    return std::nullopt;
  }
  const std::string entry = EntryFolder(key.path, series);
  std::error_code ec;
  if (!fs::is_directory(entry, ec)) return std::nullopt;
  if (!Holds(entry, key)) {
    Remove(entry);
    return std::nullopt;
  }
  MarkUsed(entry);
  return entry;
}

std::optional<std::string> PyramidCache::Build(const std::string& path, int32_t series, ProgressSink& progress,
                                               const std::atomic<bool>& stop) {
  const std::string name = imaging::detail::FileNameOf(path);
  const PyramidKey key = KeyOf(path, series);
  EnsureFolder(name);
  std::error_code ec;
  if (std::optional<std::string> found = Find(path, series)) return found;

  int code = 0;
  const std::string building = MakeTemporary(code);
  if (building.empty()) throw PyramidCacheError(PyramidCacheMessage(name, folder_, code));
  try {
    if (!BuildPyramid(path, series, building, progress, stop)) return std::nullopt;
  } catch (const PyramidWriteError& e) {
    throw PyramidCacheError(PyramidCacheMessage(name, folder_, e.code()));
  }
  MarkUsed(building);
  const std::string entry = EntryFolder(key.path, series);
  for (int attempt = 0; ::rename(building.c_str(), entry.c_str()) != 0; ++attempt) {
    const int why = errno;
    // Another process finished the same pyramid first: theirs is as good as ours.
    if ((why == ENOTEMPTY || why == EEXIST) && Holds(entry, key)) break;
    if ((why == ENOTEMPTY || why == EEXIST) && attempt == 0 && Remove(entry)) continue;  // a stale one
    fs::remove_all(building, ec);
    throw PyramidCacheError(PyramidCacheMessage(name, folder_, why));
  }
  fs::remove_all(building, ec);  // only still there when the other process's entry won
  Trim(entry);
  return entry;
}

void PyramidCache::EnsureFolder(const std::string& name) const {
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec || !fs::is_directory(folder_)) throw PyramidCacheError(PyramidCacheMessage(name, folder_, ec ? ec.value() : ENOTDIR));
}

void PyramidCache::CheckWritable(const std::string& path) const {
  const std::string name = imaging::detail::FileNameOf(path);
  EnsureFolder(name);
  std::error_code ec;
  int code = 0;
  const std::string tried = MakeTemporary(code);
  if (tried.empty()) throw PyramidCacheError(PyramidCacheMessage(name, folder_, code));
  fs::remove(tried, ec);
}

std::vector<PyramidCache::Entry> PyramidCache::Entries() const {
  std::vector<Entry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    if (!IsEntryName(it->path().filename().string())) continue;
    Entry e;
    e.folder = it->path().string();
    e.bytes = DiskBytes(it->path());
    struct stat st {};
    if (::stat((e.folder + "/" + kUsedMark).c_str(), &st) == 0)
      e.used_ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    entries.push_back(std::move(e));
  }
  return entries;
}

uint64_t PyramidCache::Size() const { return DiskBytes(folder_); }

void PyramidCache::Trim(const std::string& keep) const {
  std::vector<Entry> entries = Entries();
  uint64_t total = 0;
  for (const Entry& e : entries) total += e.bytes;
  const uint64_t bound = bound_ ? bound_ : DefaultPyramidCacheBound(folder_, total);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used_ns < b.used_ns; });
  for (const Entry& e : entries) {
    if (total <= bound) break;
    if (e.folder != keep && Remove(e.folder)) total -= e.bytes;
  }
}

void PyramidCache::Clear() {
  std::error_code ec;
  if (!fs::exists(folder_, ec)) return;
  int failed = 0;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code removed;
    if (IsEntryName(name)) {
      if (!Remove(it->path().string())) failed = EACCES;
    } else if (AbandonedTemporary(name)) {
      fs::remove_all(it->path(), removed);
      if (removed) failed = removed.value();
    }
  }
  if (ec) failed = ec.value();
  if (failed) throw PyramidCacheError("The pyramid cache in " + folder_ + " cannot be cleared (" + Reason(failed) + ").");
}

}  // namespace lumetrix::streaming
