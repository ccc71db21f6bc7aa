#include "imaging/patched_tiff.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace lumetrix::imaging::detail {
namespace {

struct PatchedFile {
  int fd = -1;
  uint64_t position = 0, size = 0;
  std::vector<BytePatch> patches;
};

tmsize_t Read(thandle_t handle, void* buffer, tmsize_t size) {
  auto* f = static_cast<PatchedFile*>(handle);
  const ssize_t got = pread(f->fd, buffer, static_cast<size_t>(size), static_cast<off_t>(f->position));
  if (got <= 0) return got;
  const uint64_t from = f->position, to = from + static_cast<uint64_t>(got);
  for (const BytePatch& p : f->patches) {
    for (uint64_t i = 0; i < 4; ++i) {
      if (p.offset + i >= from && p.offset + i < to) static_cast<uint8_t*>(buffer)[p.offset + i - from] = p.bytes[i];
    }
  }
  f->position = to;
  return got;
}

tmsize_t Write(thandle_t, void*, tmsize_t) { return -1; }

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  auto* f = static_cast<PatchedFile*>(handle);
  const uint64_t base = whence == SEEK_CUR ? f->position : whence == SEEK_END ? f->size : 0;
  f->position = base + offset;
  return f->position;
}

int Close(thandle_t handle) {
  auto* f = static_cast<PatchedFile*>(handle);
  ::close(f->fd);
  delete f;
  return 0;
}

toff_t Size(thandle_t handle) { return static_cast<PatchedFile*>(handle)->size; }

int Map(thandle_t, void**, toff_t*) { return 0; }
void Unmap(thandle_t, void*, toff_t) {}

}  // namespace

TIFF* OpenPatchedTiff(const std::string& path, std::vector<BytePatch> patches, TIFFOpenOptions* options) {
  auto* f = new PatchedFile;
  f->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (f->fd < 0 || fstat(f->fd, &st) != 0) {
    if (f->fd >= 0) ::close(f->fd);
    delete f;
    return nullptr;
  }
  f->size = static_cast<uint64_t>(st.st_size);
  f->patches = std::move(patches);
  // Once open, TIFFClose calls Close, which frees the handle; a failed open leaves it to us.
  TIFF* tif = TIFFClientOpenExt(path.c_str(), "rm", f, Read, Write, Seek, Close, Size, Map, Unmap, options);
  if (tif) TIFFSetFileno(tif, f->fd);
  else Close(f);
  return tif;
}

}  // namespace lumetrix::imaging::detail
