#pragma once
// What the first page of a TIFF file looks like: read once when a stack is planned, then held
// by the plan so that every later page can be compared with it.

#include <cstdint>
#include <string>

#include "imaging/imagej_metadata.h"

namespace lumetrix::imaging::detail {

// What the decoded channels of a page look like: `bits` 8 or 16 (unsigned), or 32 (float:
// 32-bit integers and floating point, to be scaled by the caller).
struct PageShape {
  uint32_t width = 0, height = 0;
  int channels = 1;  // 1 or 3 (RGB, palette colour); with samples_as_channels one per sample
  bool samples_as_channels = false;  // Zeiss LSM: the samples of a pixel are channels, not colours
  int bits = 8;
  int stored_bits = 8;                      // as the file holds them (sub-byte samples count as 8)
  int sample_format = 1;                    // TIFF SampleFormat: 1 unsigned, 2 signed, 3 float
  uint16_t compression = 1;
  std::string description;  // ImageDescription
  double x_resolution = 0, y_resolution = 0;
  int resolution_unit = 2;
  // Uncompressed data in one run: where it starts and how many bytes a page takes.
  bool contiguous = false;
  uint64_t data_offset = 0, data_bytes = 0;
  std::string kind;  // "16-bit grey, LZW" for messages and --info
  ImageJChannelData imagej_channels;  // from the IJMetadata tags
};

}  // namespace lumetrix::imaging::detail
