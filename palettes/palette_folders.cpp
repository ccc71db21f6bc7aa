#include "palettes/palette_folders.h"

#include <algorithm>
#include <system_error>

#include "palettes/file_listing.h"
#include "palettes/palette_error.h"

namespace lumetrix::palettes {
namespace {

constexpr std::size_t kMaxNameBytes = 250;  // leaves room for the extension in 255 bytes

std::string Quoted(std::string_view name) {
  std::string quoted;
  quoted.reserve(name.size() + 2);
  quoted.append(1, '"').append(name).append(1, '"');
  return quoted;
}

bool SameFileName(const std::string& a, const std::string& b) { return a == b; }

}  // namespace

std::optional<std::string> CheckPaletteName(std::string_view name) {
  if (name.empty()) return std::string(kChooseNameFirst);
  if (name.find_first_not_of('.') == std::string_view::npos)
    return Quoted(name) + " cannot be used as a palette name.";
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(ch) != std::string_view::npos)
      return "The palette name " + Quoted(name) +
             " cannot be used: a file name must not contain / \\ : * ? \" < > | or control characters.";
  }
  if (name.back() == ' ' || name.back() == '.')
    return "The palette name " + Quoted(name) + " cannot be used: it must not end with a space or a dot.";
  if (name.size() > kMaxNameBytes) return std::string("The palette name is too long for a file name.");
  return std::nullopt;
}

std::vector<std::string> ListPaletteNames(const PaletteFolders& folders, std::string_view ext) {
  std::vector<std::string> names;
  for (const auto& folder : {folders.bundled, folders.writable}) {
    for (const auto& file : ListFilesWithExtension(folder, ext)) {
      const std::string fileName = file.filename().string();
      names.push_back(fileName.substr(0, fileName.size() - ext.size()));
    }
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return FileNameLess(a, b); });
  names.erase(std::unique(names.begin(), names.end(), SameFileName), names.end());
  return names;
}

std::optional<std::filesystem::path> FindPaletteFile(const PaletteFolders& folders, std::string_view name,
                                                     std::string_view ext) {
  if (CheckPaletteName(name)) return std::nullopt;
  const std::string fileName = std::string(name) + std::string(ext);
  for (const auto& folder : {folders.writable, folders.bundled}) {
    if (folder.empty()) continue;
    std::error_code ec;
    const auto path = folder / fileName;
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  // A file saved as "Fire.PLT" is listed as "Fire"; find it again ignoring the extension's case.
  for (const auto& folder : {folders.writable, folders.bundled}) {
    for (const auto& file : ListFilesWithExtension(folder, ext)) {
      const std::string candidate = file.filename().string();
      if (candidate.substr(0, candidate.size() - ext.size()) == name) return file;
    }
  }
  return std::nullopt;
}

std::filesystem::path WritablePaletteFile(const PaletteFolders& folders, std::string_view name,
                                          std::string_view ext) {
  if (auto problem = CheckPaletteName(name)) throw PaletteError(*problem);
  if (folders.writable.empty()) throw PaletteError("There is no folder to save palettes in.");
  std::error_code ec;
  std::filesystem::create_directories(folders.writable, ec);
  if (ec) throw PaletteError("Could not create the palette folder " + folders.writable.string() + ": " + ec.message());
  if (!std::filesystem::is_directory(folders.writable, ec))
    throw PaletteError("Could not create the palette folder " + folders.writable.string() + ": a file of that name exists.");
  const std::string fileName = std::string(name) + std::string(ext);
  const std::filesystem::path path = folders.writable / fileName;
  // The name holds no separator, so this cannot fail; kept as the last guard before writing.
  if (path.filename() != fileName) throw PaletteError(Quoted(name) + " cannot be used as a palette name.");
  return path;
}

}  // namespace lumetrix::palettes
