#pragma once
// Failures of palette file and bitmap I/O. what() is a sentence the user can read.

#include <stdexcept>
#include <string>

namespace lumetrix::palettes {

class PaletteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// For the staged writer's answer (core/staged_file.h): "" is success, anything else is thrown.
inline void ThrowIfFailed(const std::string& error) {
  if (!error.empty()) throw PaletteError(error);
}

}  // namespace lumetrix::palettes
