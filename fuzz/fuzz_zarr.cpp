// libFuzzer target: OME-Zarr metadata and chunks. The first byte chooses what the rest is: a
// group's .zattrs, a level's .zarray (then a chunk of its fill_value is placed into a volume of
// its shape when both are small), or a stored chunk for one of the five codecs, decoded into
// data[2] * 64 bytes. Only ImageError may leave the readers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/image_box.h"
#include "imaging/zarr/zarr_chunk.h"
#include "imaging/zarr/zarr_metadata.h"
#include "imaging/zarr/zarr_samples.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumetrix::imaging;
  if (size < 3) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);
  try {
    switch (data[0] % 3) {
      case 0: {
        const ZarrImageMeta m = ParseZarrAttributes(text, ".zattrs");
        if (m.paths.empty() || m.voxels.size() != m.paths.size() || m.axes.size() > 5) std::abort();
        break;
      }
      case 1: {
        const ZarrArrayMeta a = ParseZarrArray(text, ".zarray");
        if (a.ChunkBytes() > kZarrMaxChunkBytes || a.Samples() > kZarrMaxSamples) std::abort();
        if (a.ChunkBytes() > (1 << 20) || a.Samples() > (1 << 20)) break;
        const std::vector<uint8_t> fill = FillChunk(a);
        SampleBox box;
        box.axes = static_cast<int>(a.shape.size());
        size_t step = 1;
        for (int i = box.axes - 1; i >= 0; --i) {
          box.chunk[i] = a.chunks[size_t(i)];
          box.extent[i] = std::min(a.chunks[size_t(i)], a.shape[size_t(i)]);
          box.step[i] = step;
          step *= size_t(a.shape[size_t(i)]);
        }
        std::vector<uint8_t> out(a.Samples() * 4);
        ScatterSamples(a, fill.data(), box, out.data());
        break;
      }
      case 2: {
        std::vector<uint8_t> out(size_t{data[2]} * 64);
        DecodeZarrChunk(static_cast<ZarrCodec>(data[1] % 5), data + 3, size - 3, out.data(), out.size(), "chunk");
        break;
      }
    }
  } catch (const ImageError&) {
  }
  return 0;
}
