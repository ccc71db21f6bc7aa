// libFuzzer target: pyramid sources read box by box. The first byte chooses the source: even, an
// OME-Zarr folder (a fixed .zattrs with one level "0" whose .zarray is the input up to its first
// NUL byte, and whose chunk 0.0.0 is the rest); odd, a TIFF file (the rest). Then boxes around
// and beyond the first chunk or block are read. Only ImageError may leave the sources.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_input_file.h"
#include "imaging/image_box.h"
#include "imaging/zarr/zarr_metadata.h"
#include "streaming/tiff_brick_source.h"
#include "streaming/zarr_brick_source.h"

namespace {

// A private folder NAME.zarr of this process (mkdtemp in $TMPDIR), removed at exit (kept alive
// until then: the exit handler runs after the static objects are gone).
const std::string& ZarrFolder() {
  static const std::string& folder = *new std::string([] {
    std::string base = (std::filesystem::temp_directory_path() / "lumetrix-fuzz-XXXXXX").string();
    if (!::mkdtemp(base.data())) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(std::filesystem::path(ZarrFolder()).parent_path(), ec);
    });
    const std::string zarr = base + "/f.zarr";
    std::filesystem::create_directories(zarr + "/0");
    std::ofstream(zarr + "/.zattrs") << R"({"multiscales":[{"version":"0.4","axes":[{"name":"z","type":"space"},)"
                                        R"({"name":"y","type":"space"},{"name":"x","type":"space"}],"datasets":[{"path":"0"}]}]})";
    return zarr;
  }());
  return folder;
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumetrix;
  if (size < 2) return 0;
  try {
    std::unique_ptr<streaming::BrickSource> source;
    if (data[0] % 2 == 0) {
      const auto* end = static_cast<const uint8_t*>(std::memchr(data + 1, 0, size - 1));
      if (!end) return 0;
      const std::string zarray(reinterpret_cast<const char*>(data + 1), size_t(end - data - 1));
      // Kept small, so that the fuzzer's memory limit is not what stops it.
      const imaging::ZarrArrayMeta a = imaging::ParseZarrArray(zarray, ".zarray");
      if (a.ChunkBytes() > (1 << 20) || a.Samples() > (1 << 22)) return 0;
      const std::string& folder = ZarrFolder();
      Write(folder + "/0/.zarray", data + 1, zarray.size());
      Write(folder + "/0/0.0.0", end + 1, size - size_t(end + 1 - data));
      source = streaming::OpenZarrBrickSource(folder, 1 << 20);
    } else {
      source = streaming::OpenTiffBrickSource(fuzz::InputFile(data + 1, size - 1, ".tif"), 0, 1 << 20);
    }
    const streaming::VoxelBox boxes[] = {{-2, -2, -1, 5, 4, 3}, {0, 0, 0, 1, 1, 1}, {30, 70, 2, 40, 3, 2}};
    for (size_t level = 0; level < source->Levels().size(); ++level)
      for (const streaming::VoxelBox& box : boxes) {
        std::vector<uint8_t> out(box.Voxels() * size_t(source->Bits() / 8));
        source->ReadBox(level, 0, 0, box, out.data());
      }
  } catch (const imaging::ImageError&) {
  }
  return 0;
}
