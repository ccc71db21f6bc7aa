#include "export/series/tiff_folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace lumetrix::series {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), text.end() - static_cast<std::ptrdiff_t>(tail.size()),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

}  // namespace

bool IsTiffFileName(const std::string& name) {
  // A bare ".tif" is a hidden file without a name, not an image someone chose.
  return (name.size() > 4 && EndsWithNoCase(name, ".tif")) || (name.size() > 5 && EndsWithNoCase(name, ".tiff"));
}

void SortNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      const char la = Lower(a[i]), lb = Lower(b[i]);
      if (la != lb) return static_cast<unsigned char>(la) < static_cast<unsigned char>(lb);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
  });
}

std::vector<std::string> ListTiffFiles(const std::string& folder, std::string* error) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
  if (ec) {
    if (error) *error = "Cannot read the folder " + folder + ": " + ec.message();
    return names;
  }
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string name = it->path().filename().string();
    if (!IsTiffFileName(name)) continue;
    std::error_code type_ec;
    if (!it->is_regular_file(type_ec)) continue;  // follows links; folders named x.tif are skipped
    names.push_back(name);
  }
  if (ec && error) *error = "Cannot read the folder " + folder + ": " + ec.message();
  SortNames(names);
  return names;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string BaseFileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace lumetrix::series
