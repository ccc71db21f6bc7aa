#include "export/series/conversion_errors.h"

namespace lumetrix::series::detail {

std::string SizeText(int32_t width, int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

}  // namespace lumetrix::series::detail
