#include "export/series/conversion_result.h"

#include "export/series/tiff_folder.h"

namespace lumetrix::series {

namespace {

// The component's messages start in lower case ("cannot write ..."), or with a file name, which
// must keep its case.
bool StartsWithPlainWord(const std::string& text) {
  if (text.empty() || text[0] < 'a' || text[0] > 'z') return false;
  for (char c : text) {
    if (c == ' ') return true;
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return true;
}

}  // namespace

std::string ConversionResult::Message() const {
  if (Cancelled) return {};
  if (!Written) {
    std::string text = Error.empty() ? "The conversion failed" : Error;
    if (StartsWithPlainWord(text)) text[0] = static_cast<char>(text[0] - 'a' + 'A');
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
