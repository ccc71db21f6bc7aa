#include "bench/streaming/zarr_pyramid_writer.h"

#include <blosc.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace lumetrix::bench {
namespace {

constexpr int kChunk = 64;

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

WrittenPyramid WriteZarrPyramid(const std::string& path, int width, int height, int depth, const PyramidContent& content,
                                int max_levels, const std::string& cname) {
  const std::filesystem::path root(path);
  if (!std::filesystem::create_directory(root)) throw std::runtime_error(path + " exists already");
  WrittenPyramid written;
  std::string datasets;
  std::vector<uint8_t> chunk(size_t(kChunk) * kChunk * kChunk), stored(chunk.size() + BLOSC_MAX_OVERHEAD);
  int w = width, h = height, d = depth, factor = 1;
  for (int level = 0; level < max_levels; ++level) {
    const std::string name = std::to_string(level);
    std::filesystem::create_directory(root / name);
    WriteText(root / name / ".zarray",
              "{\"zarr_format\": 2, \"shape\": [" + std::to_string(d) + ", " + std::to_string(h) + ", " +
                  std::to_string(w) + "], \"chunks\": [64, 64, 64], \"dtype\": \"|u1\", \"compressor\": {\"id\": "
                  "\"blosc\", \"cname\": \"" + cname + "\", \"clevel\": 5, \"shuffle\": 1, \"blocksize\": 0}, \"fill_value\": 0, "
                  "\"order\": \"C\", \"filters\": null}");
    const std::string f = std::to_string(factor);
    datasets += std::string(level ? ", " : "") + "{\"path\": \"" + name +
                "\", \"coordinateTransformations\": [{\"type\": \"scale\", \"scale\": [" + f + ", " + f + ", " + f + "]}]}";
    for (int cz = 0; cz * kChunk < d; ++cz)
      for (int cy = 0; cy * kChunk < h; ++cy)
        for (int cx = 0; cx * kChunk < w; ++cx) {
          const double lo[3] = {double(cx * kChunk * factor), double(cy * kChunk * factor), double(cz * kChunk * factor)};
          const double hi[3] = {lo[0] + kChunk * factor, lo[1] + kChunk * factor, lo[2] + kChunk * factor};
          if (!content.occupied(lo, hi)) continue;
          std::fill(chunk.begin(), chunk.end(), 0);  // beyond the level's edge: fill_value, as zarr pads
          const int nx = std::min(kChunk, w - cx * kChunk);
          for (int z = 0; z < std::min(kChunk, d - cz * kChunk); ++z)
            for (int y = 0; y < std::min(kChunk, h - cy * kChunk); ++y)
              content.row((cx * kChunk + 0.5) * factor, factor, (cy * kChunk + y + 0.5) * factor,
                          (cz * kChunk + z + 0.5) * factor, nx, chunk.data() + (size_t(z) * kChunk + size_t(y)) * kChunk);
          const int n = blosc_compress_ctx(5, BLOSC_SHUFFLE, 1, chunk.size(), chunk.data(), stored.data(), stored.size(),
                                           cname.c_str(), 0, 1);
          if (n <= 0) throw std::runtime_error("blosc could not compress a chunk");
          const auto file = root / name / (std::to_string(cz) + "." + std::to_string(cy) + "." + std::to_string(cx));
          std::ofstream out(file, std::ios::binary);
          out.write(reinterpret_cast<const char*>(stored.data()), n);
          if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
          ++written.chunks;
          written.stored_bytes += n;
        }
    written.levels = level + 1;
    if (std::max(w, h) <= kChunk || level + 1 == max_levels) break;
    w = (w + 1) / 2, h = (h + 1) / 2, d = (d + 1) / 2, factor *= 2;
  }
  WriteText(root / ".zgroup", "{\"zarr_format\": 2}");
  WriteText(root / ".zattrs",
            "{\"multiscales\": [{\"version\": \"0.4\", \"axes\": [{\"name\": \"z\", \"type\": \"space\", \"unit\": "
            "\"micrometer\"}, {\"name\": \"y\", \"type\": \"space\", \"unit\": \"micrometer\"}, {\"name\": \"x\", "
            "\"type\": \"space\", \"unit\": \"micrometer\"}], \"datasets\": [" + datasets + "]}]}");
  return written;
}

}  // namespace lumetrix::bench
