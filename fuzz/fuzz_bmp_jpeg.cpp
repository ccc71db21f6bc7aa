// libFuzzer target: BMP and JPEG files through the image component (the first bytes decide
// which reader takes them; the extension does not matter).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "imaging/image_box.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumetrix;
  const std::string path = fuzz::InputFile(data, size, ".img");
  imaging::ImageBox box;
  if (box.LoadPage(path, 0)) {
    const size_t bytes = box.PixelBytes().size();
    if (bytes != size_t(box.ImageWidth()) * size_t(box.ImageHeight()) * (box.IsGreyImage() ? 1 : 3) &&
        box.BitDepth() != 8) {
      __builtin_trap();
    }
  }
  return 0;
}
