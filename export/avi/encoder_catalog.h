#pragma once
// The video encoders this machine's FFmpeg really has and that AVI players can play.

#include <string>
#include <string_view>
#include <vector>

namespace lumetrix::avi {

struct EncoderInfo {
  std::string ShortName;    // stable name for scripts and the command line: "raw", "mjpeg", ...
  std::string DisplayName;  // what the options dialog lists
  std::string FfmpegName;   // FFmpeg's encoder ("rawvideo", "mjpeg", "libx264"...)
  bool Lossless = false;
  bool HasQuality = false;    // the quality setting changes the result
  bool HasDataRate = false;   // a data rate can be asked for
  bool HasKeyFrames = false;  // frames can depend on earlier ones, so key-frame spacing matters
};

class EncoderCatalog {
 public:
  // The encoders that open on this machine, in the order the dialog lists them, probed once.
  // "raw" (Full Frames, the bitmap rows as they are) is always there.
  static const EncoderCatalog& Installed();

  // Every encoder this program knows how to set up, whether present or not.
  static std::vector<EncoderInfo> Known();

  explicit EncoderCatalog(std::vector<EncoderInfo> encoders) : encoders_(std::move(encoders)) {}

  const std::vector<EncoderInfo>& Encoders() const { return encoders_; }
  // Null when the name is not in the catalogue (names compare without regard to case).
  const EncoderInfo* Find(std::string_view shortName) const;
  // Motion JPEG when present, otherwise the first entry.
  const EncoderInfo& Default() const;

 private:
  std::vector<EncoderInfo> encoders_;
};

// Short names of the catalogue joined by ", " (for usage and error texts).
std::string EncoderNames(const EncoderCatalog& catalog);

}  // namespace lumetrix::avi
