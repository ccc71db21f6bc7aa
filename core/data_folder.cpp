#include "core/data_folder.h"

#include <cstdlib>
#include <system_error>

namespace lumetrix {
namespace {

const char* NamedFolder() {
  const char* env = std::getenv("LUMETRIX_DATA_DIR");
  return env && *env ? env : nullptr;
}

}  // namespace

std::filesystem::path DataFolder(const std::filesystem::path& programFolder) {
  std::error_code ec;
  if (const char* env = NamedFolder()) return std::filesystem::absolute(env, ec).lexically_normal();
  return (programFolder / ".." / "share" / "lumetrix").lexically_normal();
}

std::string DataFolderError(const std::filesystem::path& programFolder) {
  const std::filesystem::path folder = DataFolder(programFolder);
  const std::string name = "The data folder " + folder.string() +
                           (NamedFolder() ? " (named by LUMETRIX_DATA_DIR)" : " (installed beside the program)");
  const std::string fix = NamedFolder() ? "; set LUMETRIX_DATA_DIR to the folder that holds help/ and palettes/, or unset it"
                                        : "; install Lumetrix again, or set LUMETRIX_DATA_DIR to the folder that holds "
                                          "help/ and palettes/";
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(folder, ec);
  if (status.type() == std::filesystem::file_type::not_found) return name + " does not exist" + fix;
  if (ec) return name + " cannot be read: " + ec.message() + fix;
  if (status.type() != std::filesystem::file_type::directory) return name + " is not a folder" + fix;
  std::filesystem::directory_iterator entries(folder, ec);  // the entries must be listable
  if (ec) return name + " cannot be read: " + ec.message() + fix;
  return "";
}

}  // namespace lumetrix
