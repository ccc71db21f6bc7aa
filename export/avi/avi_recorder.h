#pragma once
// Movie recording for scripts: AVIStart opens a movie and asks for the compression, AVIAdd
// appends the frame just drawn, AVIend closes the movie. The window captures the frames and
// hands them over from memory (the bitmap information block and the pixel rows of the frame
// BMP); failures are reported through the message sink, never thrown.

#include <cstdint>
#include <memory>
#include <string>

#include "export/avi/avi_file.h"
#include "export/avi/avi_messages.h"
#include "export/avi/bitmap_info.h"
#include "export/avi/compression_options.h"
#include "export/avi/encoder_catalog.h"

namespace lumetrix::avi {

class AviRecorder {
 public:
  // `options` is asked once per AVIStart unless a codec was preset with AVICodec; a name ending
  // in ".mp4" records H.264 MP4 without asking.
  AviRecorder(MessageSink& messages, CompressionOptionsSource& options,
              const EncoderCatalog& catalog = EncoderCatalog::Installed());
  ~AviRecorder();  // a recording still open is ended as AVIend would
  AviRecorder(const AviRecorder&) = delete;
  AviRecorder& operator=(const AviRecorder&) = delete;

  // Presets the codec for the following recordings (for unattended scripts): no options dialog
  // is shown while a preset is set. An empty name clears it. False, with nothing changed, for
  // a name the catalogue does not have.
  bool AVICodec(const std::string& shortName);
  const std::string& PresetCodec() const { return preset_; }

  // Opens a movie of the first frame's size at `frameRate` (rounded, limited to 1..30). The
  // first frame gives the format only; it is not written. A recording still open is ended
  // first. True when the movie is ready for frames.
  bool AVIStart(const std::string& fileName, double frameRate, const DibFrame& firstFrame);
  // Appends a frame as a key frame at FrameCounter(). Ignored without an open recording. A
  // frame of another size or format than the movie's is refused (one message per recording)
  // and not written; the recording goes on. A write failure reports, and ends the recording
  // without keeping the file.
  void AVIAdd(const DibFrame& frame);
  // Releases the streams and the file, in that order. Ignored without an open recording.
  void AVIend();
  // Ends the recording and removes what was written of it (a movie that cannot go on).
  void Abandon() { Release(false); }

  bool IsRecording() const { return static_cast<bool>(file_); }
  int32_t FrameCounter() const { return frame_counter_; }
  // Frames refused since the recording started (wrong size or format).
  int32_t RefusedFrames() const { return refused_frames_; }
  // What went wrong last, in more detail than the message (for script output and logs).
  const std::string& LastError() const { return last_error_; }
  // The options of the recording that is open (or was open last).
  const CompressionOptions& Options() const { return options_; }

 private:
  bool Fail(const std::string& message, MessageIcon icon, const std::string& detail);
  // Releases everything; keeps the movie only when `keep` and closing succeeds.
  bool Release(bool keep);

  MessageSink& messages_;
  CompressionOptionsSource& options_source_;
  const EncoderCatalog& catalog_;
  std::string preset_;
  CompressionOptions options_;

  std::unique_ptr<AviFile> file_;
  std::unique_ptr<AviStream> stream_;
  std::unique_ptr<AviCompressedStream> compressed_;
  BitmapInfo format_;
  bool mp4_ = false;  // H.264 in MP4: frames may depend on earlier ones
  int32_t frame_counter_ = 0;
  int32_t refused_frames_ = 0;
  std::string last_error_;
};

}  // namespace lumetrix::avi
