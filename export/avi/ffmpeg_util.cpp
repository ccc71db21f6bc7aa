#include "export/avi/ffmpeg_util.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <mutex>

namespace lumetrix::avi::detail {

void InputContextCloser::operator()(AVFormatContext* context) const { avformat_close_input(&context); }
void CodecContextFreer::operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
void FrameFreer::operator()(AVFrame* frame) const { av_frame_free(&frame); }
void PacketFreer::operator()(AVPacket* packet) const { av_packet_free(&packet); }
void SwsFreer::operator()(SwsContext* context) const { sws_freeContext(context); }

FramePtr MakeFrame() { return FramePtr(av_frame_alloc()); }
PacketPtr MakePacket() { return PacketPtr(av_packet_alloc()); }

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av_strerror(code, text, sizeof text) != 0) return "FFmpeg error " + std::to_string(code);
  return text;
}

std::string LocalFileUrl(const std::string& path) { return "file:" + path; }

void QuietFfmpegLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Only the untouched default is lowered, so a level someone chose on purpose stays.
    if (av_log_get_level() == AV_LOG_INFO) av_log_set_level(AV_LOG_FATAL);
  });
}

}  // namespace lumetrix::avi::detail
