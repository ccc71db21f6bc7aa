#pragma once
// Failures of palette file and bitmap I/O. what() is a sentence the user can read.

#include <stdexcept>

namespace lumetrix::palettes {

class PaletteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace lumetrix::palettes
