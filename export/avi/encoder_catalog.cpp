#include "export/avi/encoder_catalog.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>

#include "export/avi/encoder_setup.h"

namespace lumetrix::avi {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// An encoder counts only when FFmpeg has it, the AVI muxer takes its codec and it really opens
// (a listed hardware or library encoder may still fail on this machine).
bool Usable(const EncoderInfo& info, const AVOutputFormat* avi) {
  if (info.ShortName == detail::kRawName) return true;
  const AVCodec* codec = avcodec_find_encoder_by_name(info.FfmpegName.c_str());
  if (!codec || !avi) return false;
  if (avformat_query_codec(avi, codec->id, FF_COMPLIANCE_NORMAL) != 1) return false;
  std::string error;
  CompressionOptions options;
  options.Codec = info.ShortName;
  return detail::OpenEncoder(info, options, 64, 48, AVRational{1, 25}, false, error) != nullptr;
}

}  // namespace

std::vector<EncoderInfo> EncoderCatalog::Known() {
  // name, display name, FFmpeg encoder, lossless, quality, data rate, key frames
  return {
      {"raw", "Full Frames (Uncompressed)", "rawvideo", true, false, false, false},
      {"mjpeg", "Motion JPEG", "mjpeg", false, true, true, false},
      {"ffv1", "FFV1 (lossless)", "ffv1", true, false, false, true},
      {"huffyuv", "HuffYUV (lossless)", "huffyuv", true, false, false, false},
      {"utvideo", "Ut Video (lossless)", "utvideo", true, false, false, false},
      {"mpeg4", "MPEG-4 Part 2", "mpeg4", false, true, true, true},
      {"h264", "H.264 (x264)", "libx264", false, true, true, true},
  };
}

const EncoderCatalog& EncoderCatalog::Installed() {
  static const EncoderCatalog catalog = [] {
    detail::QuietFfmpegLog();
    const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
    std::vector<EncoderInfo> present;
    for (EncoderInfo& info : Known())
      if (Usable(info, avi)) present.push_back(std::move(info));
    return EncoderCatalog(std::move(present));
  }();
  return catalog;
}

const EncoderInfo* EncoderCatalog::Find(std::string_view shortName) const {
  for (const EncoderInfo& info : encoders_)
    if (SameName(info.ShortName, shortName)) return &info;
  return nullptr;
}

const EncoderInfo& EncoderCatalog::Default() const {
  static const EncoderInfo raw = Known().front();
  if (const EncoderInfo* mjpeg = Find("mjpeg")) return *mjpeg;
  return encoders_.empty() ? raw : encoders_.front();
}

std::string EncoderNames(const EncoderCatalog& catalog) {
  std::string names;
  for (const EncoderInfo& info : catalog.Encoders()) {
    if (!names.empty()) names += ", ";
    names += info.ShortName;
  }
  return names;
}

}  // namespace lumetrix::avi
