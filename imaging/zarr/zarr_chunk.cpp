#include "imaging/zarr/zarr_chunk.h"

#include <blosc.h>
#include <zlib.h>
#include <zstd.h>
#include <zstd_errors.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "imaging/image_box.h"

namespace lumetrix::imaging {
namespace {

std::string Bytes(uint64_t n) { return std::to_string(n) + " bytes"; }

ImageError WrongSize(const std::string& where, uint64_t got, uint64_t want) {
  return ImageError(where + " decodes to " + Bytes(got) + " instead of the " + Bytes(want) + " of its chunk shape");
}

void Blosc(const uint8_t* data, size_t size, uint8_t* out, size_t out_size, const std::string& where) {
  size_t nbytes = 0;
  if (size < BLOSC_MIN_HEADER_LENGTH || blosc_cbuffer_validate(data, size, &nbytes) != 0)
    throw ImageError(where + " is not a complete blosc block");
  if (nbytes != out_size) throw WrongSize(where, nbytes, out_size);
  const int got = blosc_decompress_ctx(data, out, out_size, 1);
  if (got < 0 || size_t(got) != out_size) throw ImageError(where + " is damaged (blosc could not decode it)");
}

void Zstd(const uint8_t* data, size_t size, uint8_t* out, size_t out_size, const std::string& where) {
  const unsigned long long declared = ZSTD_getFrameContentSize(data, size);
  if (declared == ZSTD_CONTENTSIZE_ERROR) throw ImageError(where + " is not a zstd frame");
  if (declared != ZSTD_CONTENTSIZE_UNKNOWN && declared != out_size) throw WrongSize(where, declared, out_size);
  const std::unique_ptr<ZSTD_DCtx, size_t (*)(ZSTD_DCtx*)> context(ZSTD_createDCtx(), ZSTD_freeDCtx);
  if (!context) throw std::bad_alloc();
  const size_t got = ZSTD_decompressDCtx(context.get(), out, out_size, data, size);
  if (ZSTD_isError(got)) {
    if (ZSTD_getErrorCode(got) == ZSTD_error_dstSize_tooSmall)
      throw ImageError(where + " decodes to more than the " + Bytes(out_size) + " of its chunk shape");
    throw ImageError(where + " is damaged (zstd: " + ZSTD_getErrorName(got) + ")");
  }
  if (got != out_size) throw WrongSize(where, got, out_size);
}

// zlib streams and gzip members (window bits + 16).
void Inflate(const uint8_t* data, size_t size, uint8_t* out, size_t out_size, bool gzip, const std::string& where) {
  z_stream z{};
  if (inflateInit2(&z, gzip ? 16 + MAX_WBITS : MAX_WBITS) != Z_OK) throw std::bad_alloc();
  const std::unique_ptr<z_stream, int (*)(z_stream*)> end(&z, inflateEnd);
  z.next_in = const_cast<Bytef*>(data);
  z.next_out = out;
  uint64_t in_left = size, out_left = out_size;
  int status = Z_OK;
  // uInt counts: feed at most 1 GB at a time.
  while (status == Z_OK) {
    z.avail_in = static_cast<uInt>(std::min<uint64_t>(in_left, 1u << 30));
    z.avail_out = static_cast<uInt>(std::min<uint64_t>(out_left, 1u << 30));
    const uInt had_in = z.avail_in, had_out = z.avail_out;
    status = inflate(&z, Z_NO_FLUSH);
    in_left -= had_in - z.avail_in;
    out_left -= had_out - z.avail_out;
    if (status == Z_BUF_ERROR || (status == Z_OK && had_in == z.avail_in && had_out == z.avail_out)) break;
  }
  const char* name = gzip ? "gzip" : "zlib";
  if (status == Z_STREAM_END && out_left == 0) return;
  if (status == Z_STREAM_END) throw WrongSize(where, out_size - out_left, out_size);
  if (out_left == 0 && in_left > 0 && status != Z_DATA_ERROR)
    throw ImageError(where + " decodes to more than the " + Bytes(out_size) + " of its chunk shape");
  if (status == Z_DATA_ERROR || status == Z_NEED_DICT) throw ImageError(where + " is damaged (" + name + " data error)");
  throw ImageError(where + " is truncated (the " + name + " stream ends early)");
}

}  // namespace

uint64_t MaxStoredChunk(uint64_t decoded) { return decoded + decoded / 8 + (64 << 10); }

std::string ZarrChunkKey(const std::vector<int64_t>& grid, char separator) {
  std::string key;
  for (size_t a = 0; a < grid.size(); ++a) {
    if (a) key += separator;
    key += std::to_string(grid[a]);
  }
  return key;
}

bool ReadZarrChunkFile(const std::string& path, uint64_t decoded, std::vector<uint8_t>& raw, const std::string& where) {
  return ReadZarrChunkFile(AT_FDCWD, path, decoded, raw, where);
}

bool ReadZarrChunkFile(int folder, const std::string& path, uint64_t decoded, std::vector<uint8_t>& raw,
                       const std::string& where) {
  const int fd = ::openat(folder, path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT && errno != ENOTDIR) throw ImageError(where + " cannot be opened: " + std::strerror(errno));
    return false;
  }
  struct stat st {};
  bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  const uint64_t size = read ? uint64_t(st.st_size) : 0;
  if (read && size <= MaxStoredChunk(decoded)) {
    raw.resize(size);
    for (size_t done = 0; read && done < size;) {
      const ssize_t got = ::pread(fd, raw.data() + done, size - done, off_t(done));
      read = got > 0;
      done += read ? size_t(got) : 0;
    }
  }
  ::close(fd);
  if (!read) throw ImageError(where + " cannot be read");
  if (size > MaxStoredChunk(decoded))
    throw ImageError(where + " takes " + std::to_string(size) + " bytes, more than any encoding of its " +
                     std::to_string(decoded) + " bytes of samples");
  return true;
}

void DecodeZarrChunk(ZarrCodec codec, const uint8_t* data, size_t size, uint8_t* out, size_t out_size,
                     const std::string& where) {
  switch (codec) {
    case ZarrCodec::kNone:
      if (size != out_size) throw WrongSize(where, size, out_size);
      if (size > 0) std::memcpy(out, data, size);
      return;
    case ZarrCodec::kBlosc: return Blosc(data, size, out, out_size, where);
    case ZarrCodec::kZstd: return Zstd(data, size, out, out_size, where);
    case ZarrCodec::kZlib: return Inflate(data, size, out, out_size, false, where);
    case ZarrCodec::kGzip: return Inflate(data, size, out, out_size, true, where);
  }
}

}  // namespace lumetrix::imaging
