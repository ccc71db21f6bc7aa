#include "palettes/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "palettes/palette_error.h"

namespace lumetrix::palettes {
namespace {

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& path, unsigned attempt) {
  static std::random_device device;
  const unsigned long long tag = (static_cast<unsigned long long>(device()) << 32) ^ device() ^ attempt;
  std::string name(1, '.');
  name.append(path.filename().string());
  name.append(1, '.');
  name.append(std::to_string(tag));
  name.append(".tmp");
  std::filesystem::path tmp = path;
  tmp.replace_filename(name);
  return tmp;
}

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason) {
  throw PaletteError("Could not write " + path.string() + ": " + reason);
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  if (path.filename().empty()) Fail(path, "no file name");
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) Fail(path, "a folder of that name exists");

  std::filesystem::path tmp;
  std::FILE* file = nullptr;
  for (unsigned attempt = 0; attempt < 16 && file == nullptr; ++attempt) {
    tmp = TemporaryNameBeside(path, attempt);
    // "x": never open an existing file (or a link planted under the temporary name).
    file = std::fopen(tmp.c_str(), "wbx");
    if (file == nullptr && errno != EEXIST) Fail(path, std::strerror(errno));
  }
  if (file == nullptr) Fail(path, "no free temporary file name");

  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    const int err = !written ? writeErrno : errno;
    std::filesystem::remove(tmp, ec);
    Fail(path, std::strerror(err));
  }
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(tmp, ignored);
    Fail(path, ec.message());
  }
}

}  // namespace lumetrix::palettes
