#pragma once
// The file names a Leica confocal system gives the slices of a series: base name, "_z" and a
// three-digit slice number, "_ch" and a two-digit channel number, ".tif". Every match is
// case-sensitive, as the instrument writes them.

#include <cstdint>
#include <optional>
#include <string>

namespace lumetrix::series {

inline constexpr int kLeicaChannels = 3;
inline constexpr int32_t kLastLeicaSlice = 999;

// "_ch00", "_ch01", "_ch02".
std::string ChannelTag(int channel);

// True for the first slice of a series in that channel: the name contains "_z000" and the
// channel's tag.
bool IsFirstSlice(const std::string& name, int channel);

// The series' name: the first slice's name with every channel tag, then every "_z000", then
// every ".tif" taken out ("Sample3_z000_ch01.tif" -> "Sample3").
std::string LeicaBaseName(const std::string& first_slice_name, int channel);

// "Sample3", 12, 1 -> "Sample3_z012_ch01.tif". z must lie in 0..999.
std::string LeicaSliceName(const std::string& base, int32_t z, int channel);

struct SliceName {
  std::string Base;
  int32_t Z = 0;
  int Channel = 0;
};
// The reverse of LeicaSliceName: nullopt for a name that is not exactly a slice name of
// channel 0..2.
std::optional<SliceName> ParseSliceName(const std::string& name);

// The tool-tip of a channel preview: "Slice Z=6 of 12".
std::string SliceToolTip(int32_t shown, int32_t last);

}  // namespace lumetrix::series
