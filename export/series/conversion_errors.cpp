#include "export/series/conversion_errors.h"

namespace lumetrix::series::detail {

std::string SizeText(int32_t width, int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

std::string ShowDestination(std::string message, const std::string& temporary, const std::string& destination) {
  if (temporary.empty()) return message;
  for (size_t at = message.find(temporary); at != std::string::npos; at = message.find(temporary, at)) {
    message.replace(at, temporary.size(), destination);
    at += destination.size();
  }
  return message;
}

}  // namespace lumetrix::series::detail
