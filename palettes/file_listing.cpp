#include "palettes/file_listing.h"

#include <algorithm>
#include <system_error>

namespace lumetrix::palettes {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

bool HasExtensionIgnoringCase(std::string_view name, std::string_view ext) {
  if (name.size() <= ext.size()) return false;
  const std::string_view tail = name.substr(name.size() - ext.size());
  for (std::size_t i = 0; i < ext.size(); ++i)
    if (AsciiLower(tail[i]) != AsciiLower(ext[i])) return false;
  return true;
}

bool FileNameLess(std::string_view a, std::string_view b) {
  const bool lowerLess = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char x, char y) { return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y)); });
  const bool lowerGreater = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(),
      [](char x, char y) { return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y)); });
  if (lowerLess || lowerGreater) return lowerLess;
  return a < b;
}

std::vector<std::filesystem::path> ListFilesWithExtension(const std::filesystem::path& folder,
                                                          std::string_view ext) {
  std::vector<std::filesystem::path> files;
  if (folder.empty()) return files;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied, ec);
  if (ec) return files;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string name = it->path().filename().string();
    if (!HasExtensionIgnoringCase(name, ext)) continue;
    std::error_code statEc;
    if (!std::filesystem::is_regular_file(it->path(), statEc)) continue;
    files.push_back(it->path());
  }
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    return FileNameLess(a.filename().string(), b.filename().string());
  });
  return files;
}

}  // namespace lumetrix::palettes
