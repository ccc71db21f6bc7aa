#pragma once
// What the user chose for a movie's compression, and where that choice comes from.

#include <cstdint>
#include <optional>
#include <string>

#include "export/avi/encoder_catalog.h"

namespace lumetrix::avi {

struct CompressionOptions {
  std::string Codec = "mjpeg";  // an EncoderInfo::ShortName
  int32_t Quality = 90;         // 1 (smallest file) .. 100 (best picture)
  bool KeyFramesOn = false;     // "Key frame every N frames"
  int32_t KeyFrameEvery = 15;
  bool DataRateOn = false;  // "Data rate KB/s"
  int32_t DataRateKBps = 2000;
  // H.264 only: x264's constant rate factor when above 0 (lower is better, 0..51); otherwise
  // the quality setting picks it.
  double RateFactor = 0;

  bool operator==(const CompressionOptions&) const = default;
};

inline constexpr int32_t kMinQuality = 1, kMaxQuality = 100;
inline constexpr int32_t kMinKeyFrameEvery = 1, kMaxKeyFrameEvery = 9999;
inline constexpr int32_t kMinDataRateKBps = 1, kMaxDataRateKBps = 1000000;
inline constexpr double kMaxRateFactor = 51;
// What MP4 movies are made with unless asked otherwise: good to the eye at a modest size.
inline constexpr double kMp4RateFactor = 20;

// The options of an MP4 movie: H.264 at `rateFactor`.
CompressionOptions Mp4Options(double rateFactor = kMp4RateFactor);

// Options with every field in range and a codec the catalogue has (else the default codec).
CompressionOptions Sanitize(CompressionOptions options, const EncoderCatalog& catalog);

// Default options for a named codec; nothing when the catalogue lacks it.
std::optional<CompressionOptions> OptionsForCodec(const std::string& shortName,
                                                  const EncoderCatalog& catalog);

// Where a recording or a recompression gets its options: the GUI shows the options dialog,
// scripts and the command line use a fixed choice. Nothing means the user cancelled.
class CompressionOptionsSource {
 public:
  virtual ~CompressionOptionsSource() = default;
  virtual std::optional<CompressionOptions> ChooseOptions(const EncoderCatalog& catalog) = 0;
};

// Always answers with the same options (sanitised against the catalogue).
class FixedOptionsSource : public CompressionOptionsSource {
 public:
  explicit FixedOptionsSource(CompressionOptions options) : options_(std::move(options)) {}
  std::optional<CompressionOptions> ChooseOptions(const EncoderCatalog& catalog) override {
    return Sanitize(options_, catalog);
  }

 private:
  CompressionOptions options_;
};

}  // namespace lumetrix::avi
