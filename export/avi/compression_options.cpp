#include "export/avi/compression_options.h"

#include <algorithm>

namespace lumetrix::avi {

CompressionOptions Sanitize(CompressionOptions options, const EncoderCatalog& catalog) {
  const EncoderInfo* encoder = catalog.Find(options.Codec);
  options.Codec = encoder ? encoder->ShortName : catalog.Default().ShortName;
  options.Quality = std::clamp(options.Quality, kMinQuality, kMaxQuality);
  options.KeyFrameEvery = std::clamp(options.KeyFrameEvery, kMinKeyFrameEvery, kMaxKeyFrameEvery);
  options.DataRateKBps = std::clamp(options.DataRateKBps, kMinDataRateKBps, kMaxDataRateKBps);
  options.RateFactor = options.RateFactor >= 0 ? std::min(options.RateFactor, kMaxRateFactor) : 0;
  return options;
}

CompressionOptions Mp4Options(double rateFactor) {
  CompressionOptions options;
  options.Codec = "h264";
  options.RateFactor = rateFactor > 0 ? rateFactor : kMp4RateFactor;
  return options;
}

std::optional<CompressionOptions> OptionsForCodec(const std::string& shortName,
                                                  const EncoderCatalog& catalog) {
  const EncoderInfo* encoder = catalog.Find(shortName);
  if (!encoder) return std::nullopt;
  CompressionOptions options;
  options.Codec = encoder->ShortName;
  return options;
}

}  // namespace lumetrix::avi
