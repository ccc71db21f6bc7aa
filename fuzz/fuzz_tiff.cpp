// libFuzzer target: a TIFF file opened as the viewer opens volumes (page listing, ImageJ and
// OME metadata, Zeiss LSM information with channels as samples, bounded decoders, the 8-bit
// view) and as single pages through the image component. Refusals are fine; crashes, leaks,
// huge allocations and hangs are findings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "imaging/hyperstack_reader.h"
#include "imaging/image_box.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumetrix;
  const std::string path = fuzz::InputFile(data, size, ".tif");
  try {
    const imaging::HyperstackPlan plan = imaging::PlanHyperstack(path);
    NullProgress progress;
    std::string error;
    imaging::ReadHyperstack(plan, progress, error, 1);
  } catch (const imaging::ImageError&) {
  }
  imaging::ImageBox box;
  for (int16_t page = 0; page < 3 && box.LoadPage(path, page); ++page) (void)box.PixelBytes();
  return 0;
}
