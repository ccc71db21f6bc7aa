#pragma once
// The one check a view value passes before it is stored, whether a script or the parameters
// window gives it: the renderer cannot draw with NaN or infinities.

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

namespace lumetrix {

// What the parameters window shows, and what a script's error carries, for a value that no view
// field can hold.
inline constexpr const char* kNotAViewValue = "The value must be a finite number.";

class InvalidViewValue : public std::invalid_argument {
 public:
  InvalidViewValue() : std::invalid_argument(kNotAViewValue) {}
  explicit InvalidViewValue(const std::string& why) : std::invalid_argument(why) {}
};

// The value as a view field stores it; nothing for NaN, infinities and numbers beyond the
// single-precision range.
inline std::optional<float> ViewValue(double value) {
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(value);
}

// ViewValue, raising InvalidViewValue where it gives nothing.
inline float CheckedViewValue(double value) {
  const std::optional<float> v = ViewValue(value);
  if (!v) throw InvalidViewValue();
  return *v;
}

}  // namespace lumetrix
