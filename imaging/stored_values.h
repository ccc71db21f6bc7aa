#pragma once
// What a stack's samples mean in the file's own units. Samples are held at 8 or 16 bits; signed
// samples are shifted and 32-bit and floating-point ones rescaled into 16 bits when they are
// read, so each held ("internal") value stands for the stored value offset + scale * internal.
// Display ranges, auto contrast and iso levels are given in stored values.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace lumetrix::imaging {

enum class SampleFormat { kUnsigned, kSigned, kFloat };

struct StoredValues {
  SampleFormat format = SampleFormat::kUnsigned;
  int bits = 8;  // as the file stores them (8, 16, 32, 64)
  double offset = 0, scale = 1;

  double Stored(double internal) const { return offset + scale * internal; }
  double Internal(double stored) const { return (stored - offset) / scale; }
  // Whether every stored value is a whole number one internal step apart (no fractions to show).
  bool WholeSteps() const { return scale == 1 && offset == static_cast<double>(static_cast<long long>(offset)); }
  // "16-bit", "16-bit signed", "32-bit float": what --info and the status line print.
  std::string TypeName() const {
    const char* kind = format == SampleFormat::kFloat ? " float" : format == SampleFormat::kSigned ? " signed" : "";
    return std::to_string(bits) + "-bit" + kind;
  }
  friend bool operator==(const StoredValues&, const StoredValues&) = default;
};

// Float samples (in plane order) become 16 bits over their finite range (infinities to the ends,
// NaN and a constant file to 0); returns what each 16-bit value stands for.
StoredValues ScaleFloatsInto16(const float* floats, size_t count, uint16_t* out);

// Its two steps, for readers that fix the range before they read: the least and largest finite
// of `count` floats (lo > hi when none is finite), what the 16-bit values stand for over that
// range, and the floats into 16 bits over it (values outside it clamped to the ends).
std::pair<float, float> FiniteRange(const float* floats, size_t count);
StoredValues FloatValuesOver(std::pair<float, float> range);
void FloatsInto16(std::pair<float, float> range, const float* floats, size_t count, uint16_t* out);

}  // namespace lumetrix::imaging
