#pragma once
// What a series conversion reports back, and how it reports its progress.

#include <cstdint>
#include <functional>
#include <string>

namespace lumetrix::series {

// Called after every page with the pages done and the pages in all; returning false cancels the
// conversion (nothing is written under the destination name then).
using ProgressCallback = std::function<bool(int32_t done, int32_t total)>;

struct ConversionResult {
  std::string Destination;
  // The output is complete under Destination.
  bool Written = false;
  bool Cancelled = false;
  int32_t Pages = 0;
  // Why nothing was written (empty when written or cancelled).
  std::string Error;
  // Slices that could not be read and went into the output as black planes.
  int32_t UnreadableSlices = 0;
  std::string FirstUnreadable;        // file name
  std::string FirstUnreadableReason;  // the reader's explanation

  // What to tell the user; empty when the conversion went through without a remark.
  std::string Message() const;
};

}  // namespace lumetrix::series
