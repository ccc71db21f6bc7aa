#pragma once
// Small helpers around FFmpeg's C interface: owning pointers and readable error texts.
// Only the .cpp files of this library include FFmpeg headers.

#include <memory>
#include <string>

extern "C" {
struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;
}

namespace lumetrix::avi::detail {

struct InputContextCloser {
  void operator()(AVFormatContext* context) const;
};
struct CodecContextFreer {
  void operator()(AVCodecContext* context) const;
};
struct FrameFreer {
  void operator()(AVFrame* frame) const;
};
struct PacketFreer {
  void operator()(AVPacket* packet) const;
};
struct SwsFreer {
  void operator()(SwsContext* context) const;
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFreer>;

FramePtr MakeFrame();
PacketPtr MakePacket();

// FFmpeg's description of an error code ("Invalid data found when processing input").
std::string AvErrorText(int code);

// FFmpeg reads a bare path as a URL: "concat:", "http:" and the like would open something else.
// Every path we hand it goes through the local file protocol.
std::string LocalFileUrl(const std::string& path);

// Keeps FFmpeg's own log quiet below errors; our callers report failures themselves.
void QuietFfmpegLog();

}  // namespace lumetrix::avi::detail
