#pragma once
// The JSON of an OME-Zarr image (NGFF 0.4 on Zarr format 2): the `multiscales` entry of the
// group's .zattrs (axes, levels, voxel sizes, channel names and colours from `omero`) and each
// level's .zarray (shape, chunks, sample type, compressor). Parsed from text so that the fuzz
// target and the tests reach it without a folder; every failure is an ImageError naming `where`.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/hyperstack_layout.h"

namespace lumetrix::imaging {

enum class ZarrType { kUint8, kUint16, kInt16, kFloat32 };
enum class ZarrCodec { kNone, kBlosc, kZstd, kZlib, kGzip };

// Limits checked before anything is allocated: a chunk is at most 256 MB decoded, a level at
// most 2^24 chunks and 2^40 samples.
inline constexpr uint64_t kZarrMaxChunkBytes = uint64_t{256} << 20;
inline constexpr uint64_t kZarrMaxChunks = uint64_t{1} << 24;
inline constexpr uint64_t kZarrMaxSamples = uint64_t{1} << 40;

struct ZarrArrayMeta {
  std::vector<int64_t> shape, chunks;  // per array axis, slowest first
  ZarrType type = ZarrType::kUint8;
  int item_bytes = 1;
  bool big_endian = false;
  ZarrCodec codec = ZarrCodec::kNone;
  std::string codec_name;  // "blosc", "zstd", ... for --info and messages
  double fill = 0;         // fill_value (null: 0)
  char separator = '.';    // dimension_separator

  uint64_t ChunkSamples() const;
  uint64_t ChunkBytes() const { return ChunkSamples() * uint64_t(item_bytes); }
  uint64_t Samples() const;
  uint64_t ChunkCount() const;
  // "16-bit unsigned, blosc" and the like.
  std::string Kind() const;
};

// A .zarray; `where` names it in messages ("level 1 of cells.zarr").
ZarrArrayMeta ParseZarrArray(const std::string& text, const std::string& where);

struct ZarrImageMeta {
  std::string axes;                 // one of "tczyx" per array axis, in array order
  std::vector<std::string> paths;   // the levels' folders, finest first (checked: inside the group)
  std::vector<std::array<double, 3>> voxels;  // per level: x, y, z in `unit` (0: not given)
  std::string unit;                 // "µm", "nm"...; "pixel" when the axes name none
  std::string name;
  std::vector<ChannelLook> channels;  // from `omero`, by channel
};

// A group's .zattrs.
ZarrImageMeta ParseZarrAttributes(const std::string& text, const std::string& where);

}  // namespace lumetrix::imaging
