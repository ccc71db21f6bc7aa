#include "export/series/conversion_result.h"

#include "export/series/tiff_folder.h"

namespace lumetrix::series {

std::string ConversionResult::Message() const {
  if (Cancelled) return {};
  if (!Written) {
    std::string text = Error.empty() ? "The conversion failed" : Error;
    if (!Destination.empty()) text += ".\nNothing was written to " + BaseFileName(Destination) + ".";
    return text;
  }
  if (UnreadableSlices == 0) return {};
  std::string text = std::to_string(UnreadableSlices) +
                     (UnreadableSlices == 1 ? " slice could not be read" : " slices could not be read") +
                     " and became black in " + BaseFileName(Destination) + ".\nThe first was " + FirstUnreadable;
  if (!FirstUnreadableReason.empty()) text += ": " + FirstUnreadableReason;
  return text + ".";
}

}  // namespace lumetrix::series
