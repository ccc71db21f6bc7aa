#pragma once
// Message helpers shared by the converters.

#include <cstdint>
#include <string>

namespace lumetrix::series::detail {

// "512 x 512 pixels".
std::string SizeText(int32_t width, int32_t height);

}  // namespace lumetrix::series::detail
