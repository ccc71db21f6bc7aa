#pragma once
// Message helpers shared by the converters.

#include <cstdint>
#include <string>

namespace lumetrix::series::detail {

// "512 x 512 pixels".
std::string SizeText(int32_t width, int32_t height);
// The component names the temporary file in its messages; the user knows only the destination.
std::string ShowDestination(std::string message, const std::string& temporary, const std::string& destination);

}  // namespace lumetrix::series::detail
