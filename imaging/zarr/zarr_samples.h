#pragma once
// Decoded Zarr chunks into the stack's planes: samples converted to what a Hyperstack holds
// (8 or 16 bits) and written where their (t, c, z, y, x) place them.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "imaging/zarr/zarr_metadata.h"

namespace lumetrix::imaging {

// One chunk's part of the array: per array axis, the chunk's size, where the chunk starts, how
// much of it lies inside the array, and how far one step along the axis moves in the output.
struct SampleBox {
  int axes = 0;
  int64_t chunk[5] = {}, origin[5] = {}, extent[5] = {};
  size_t step[5] = {};
};

// Writes the samples of a decoded chunk (C order, the array's byte order) into `out`: uint8
// as they are, uint16 as they are, int16 shifted by 32768 into uint16 (as the TIFF reader does),
// float32 as floats (for ScaleFloatsInto16 once every chunk is in).
void ScatterSamples(const ZarrArrayMeta& array, const uint8_t* chunk, const SampleBox& box, void* out);
// True when ScatterSamples writes the chunk's bytes as they are (uint8, uint16 and float32 in
// this machine's byte order): a whole chunk may then be decoded straight into its place.
bool HeldAsStored(const ZarrArrayMeta& array);

// A decoded chunk of fill_value, in the array's sample type and byte order.
std::vector<uint8_t> FillChunk(const ZarrArrayMeta& array);

// The least and largest of `count` samples.
std::pair<uint16_t, uint16_t> PlaneRange(const uint16_t* samples, size_t count);

}  // namespace lumetrix::imaging
