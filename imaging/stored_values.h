#pragma once
// What a stack's samples mean in the file's own units. Samples are held at 8 or 16 bits; signed
// samples are shifted and 32-bit and floating-point ones rescaled into 16 bits when they are
// read, so each held ("internal") value stands for the stored value offset + scale * internal.
// Display ranges, auto contrast and iso levels are given in stored values.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

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

// The finite range of float samples, gathered piece by piece (a volume read plane by plane).
struct FloatRange {
  float lo = std::numeric_limits<float>::infinity(), hi = -std::numeric_limits<float>::infinity();
  void Add(const float* floats, size_t count);
};
// Float samples become 16 bits over `range` as ScaleFloatsInto16 makes them over their own.
StoredValues ScaleFloatsOver(const FloatRange& range, const float* floats, size_t count, uint16_t* out);

// Float samples (in plane order) become 16 bits over their finite range (infinities to the ends,
// NaN and a constant file to 0); returns what each 16-bit value stands for.
StoredValues ScaleFloatsInto16(const float* floats, size_t count, uint16_t* out);

}  // namespace lumetrix::imaging
