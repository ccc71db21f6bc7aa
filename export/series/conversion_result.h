#pragma once
// What a series conversion reports back. Its progress goes to a ProgressSink: one step per page,
// and a cancel between pages writes nothing under the destination name.

#include <cstdint>
#include <string>

#include "core/progress_sink.h"

namespace lumetrix::series {

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
