#pragma once
// How each catalogued encoder is configured in FFmpeg. Internal to the movie library.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
}

#include <string>

#include "export/avi/compression_options.h"
#include "export/avi/encoder_catalog.h"
#include "export/avi/ffmpeg_util.h"

namespace lumetrix::avi::detail {

inline constexpr const char* kRawName = "raw";

// The pixel format frames are converted to before encoding (BGR24 for "raw").
AVPixelFormat EncoderPixelFormat(const std::string& shortName);

// Opens the encoder for frames of width x height at the given time base. everyFrameKey makes
// every frame a key frame whatever the options say (the recorder's rule). globalHeader puts the
// codec's set-up into the container's header (MP4 wants it there).
CodecContextPtr OpenEncoder(const EncoderInfo& encoder, const CompressionOptions& options, int width,
                            int height, AVRational timeBase, bool everyFrameKey, std::string& error,
                            bool globalHeader = false);

// 4:2:0 formats need even sides: the frame the encoder gets is padded to them.
int EncodedSide(AVPixelFormat format, int side);

}  // namespace lumetrix::avi::detail
