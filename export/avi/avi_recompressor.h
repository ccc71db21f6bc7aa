#pragma once
// "(Re)compress AVI": decodes the first video stream of a movie and encodes it again, with
// options the user chooses, into a new AVI file. Usable from the window and the command line.

#include <cstdint>
#include <string>

#include "core/progress_sink.h"
#include "export/avi/avi_messages.h"
#include "export/avi/compression_options.h"
#include "export/avi/encoder_catalog.h"

namespace lumetrix::avi {

enum class RecompressStatus {
  Ok,
  OptionsCancelled,  // "AVI SaveOptions returned an error !" was shown
  InputError,        // the input cannot be read: no video stream, unreadable, truncated, corrupt
  OutputError,       // the new file cannot be written
};

struct RecompressResult {
  RecompressStatus Status = RecompressStatus::Ok;
  int64_t FramesWritten = 0;
  std::string Detail;  // what failed, in more words than the message
};

inline constexpr const char* kRecompressCaption = "Recompressing AVI";

// Steps: open the input and its video stream, ask `options`, show the progress (caption
// "Recompressing AVI", 0 .. frames + 1, one step per frame), write `outputPath` under a
// temporary name and give it its name only when every frame was written. Failures show
// "There was an error working with the file:" and the input path; a cancelled choice shows
// "AVI SaveOptions returned an error !" alone. The progress frame is hidden at the end.
// `progress` may be null.
RecompressResult RecompressAvi(const std::string& inputPath, const std::string& outputPath,
                               CompressionOptionsSource& options, MessageSink& messages,
                               ProgressSink* progress = nullptr,
                               const EncoderCatalog& catalog = EncoderCatalog::Installed());

}  // namespace lumetrix::avi
