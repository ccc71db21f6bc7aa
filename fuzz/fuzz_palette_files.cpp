// libFuzzer target: the palette files the program reads: .pal (RIFF palette), .plt (gradient
// stops) and .pl2 (curves); the first byte chooses the reader.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "fuzz_input_file.h"
#include "palettes/curve_file.h"
#include "palettes/pal_file.h"
#include "palettes/stop_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumetrix;
  if (size < 1) return 0;
  const std::span<const uint8_t> rest(data + 1, size - 1);
  try {
    switch (data[0] % 3) {
      case 0: (void)palettes::ReadPalFile(fuzz::InputFile(rest.data(), rest.size(), ".pal")); break;
      case 1: (void)palettes::DecodeStopFile(rest); break;
      default:
        (void)palettes::DecodeCurveFile(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
    }
  } catch (const std::exception&) {
  }
  return 0;
}
