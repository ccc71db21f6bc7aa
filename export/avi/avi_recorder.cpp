#include "export/avi/avi_recorder.h"

#include "core/file_helpers.h"
#include "export/avi/stream_header.h"

namespace lumetrix::avi {
namespace {

std::string FileNameOf(const std::string& path) {
  const auto cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string SizeText(int32_t width, int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

AviRecorder::AviRecorder(MessageSink& messages, CompressionOptionsSource& options, const EncoderCatalog& catalog)
    : messages_(messages), options_source_(options), catalog_(catalog) {}

AviRecorder::~AviRecorder() {
  if (IsRecording()) AVIend();
}

bool AviRecorder::AVICodec(const std::string& shortName) {
  if (shortName.empty()) {
    preset_.clear();
    return true;
  }
  const EncoderInfo* encoder = catalog_.Find(shortName);
  if (!encoder) {
    last_error_ = "no encoder named \"" + shortName + "\" (this machine has: " + EncoderNames(catalog_) + ")";
    return false;
  }
  preset_ = encoder->ShortName;
  return true;
}

bool AviRecorder::Fail(const std::string& message, MessageIcon icon, const std::string& detail) {
  last_error_ = detail.empty() ? message : detail;
  Release(false);
  messages_.ShowMessage(message, icon);
  return false;
}

bool AviRecorder::Release(bool keep) {
  std::string error;
  bool ok = true;
  stream_.reset();  // the uncompressed stream first
  if (compressed_) {
    if (keep) ok = compressed_->Release(error);
    compressed_.reset();
  }
  if (file_) {
    if (keep && ok)
      ok = file_->Close(error);
    else
      file_->Abandon();
    file_.reset();
  }
  if (!ok) last_error_ = error;
  return ok;
}

bool AviRecorder::AVIStart(const std::string& fileName, double frameRate, const DibFrame& firstFrame) {
  // A second start ends the recording that is open, as the script would have with AVIend.
  if (IsRecording()) AVIend();
  last_error_.clear();
  frame_counter_ = 0;
  refused_frames_ = 0;

  if (IsFileLocked(fileName)) {
    last_error_ = "\"" + fileName + "\" is in use";
    messages_.ShowMessage(LockedFileMessage(FileNameOf(fileName)), MessageIcon::None);
    return false;
  }
  std::string error;
  file_ = AviFile::OpenForWriting(fileName, error);
  if (!file_) return Fail(kMsgErrorWriting, MessageIcon::Information, error);

  std::string why;
  const auto info = ParseBitmapInfo(firstFrame.BitmapInfo, &why);
  if (!info || static_cast<int64_t>(firstFrame.Pixels.size()) != info->ImageSize) {
    if (info) why = "the frame has " + std::to_string(firstFrame.Pixels.size()) + " pixel bytes, not " +
                    std::to_string(info->ImageSize);
    return Fail(kMsgFirstBitmap, MessageIcon::Exclamation, "the first frame is not usable: " + why);
  }
  format_ = *info;

  const AviStreamHeader header = MakeRecordingHeader(frameRate, info->ImageSize, info->Width, info->Height);
  stream_ = file_->CreateStream(header, error);
  if (!stream_) return Fail(kMsgErrorWriting, MessageIcon::Information, error);

  std::optional<CompressionOptions> chosen;
  mp4_ = IsMp4Name(fileName);
  if (mp4_) {
    if (!catalog_.Find("h264"))
      return Fail(kMsgErrorWriting, MessageIcon::Information, "this computer's FFmpeg has no H.264 encoder");
    chosen = Mp4Options();
  } else if (!preset_.empty()) {
    chosen = OptionsForCodec(preset_, catalog_);
  } else {
    chosen = options_source_.ChooseOptions(catalog_);
  }
  if (!chosen) return Fail(kMsgUserCanceled, MessageIcon::Information, "");
  options_ = Sanitize(*chosen, catalog_);

  // Every recorded AVI frame is a key frame, whatever spacing the options ask for.
  compressed_ = AviCompressedStream::Make(*stream_, options_, catalog_, !mp4_, error);
  if (!compressed_) return Fail(kMsgErrorWriting, MessageIcon::Information, error);
  if (!compressed_->SetFormat(0, firstFrame.BitmapInfo, error))
    return Fail(kMsgErrorWriting, MessageIcon::Information, error);
  return true;
}

void AviRecorder::AVIAdd(const DibFrame& frame) {
  if (!IsRecording()) return;
  std::string why;
  const auto info = ParseBitmapInfo(frame.BitmapInfo, &why);
  const bool fits = info && info->Width == format_.Width && info->Height == format_.Height &&
                    static_cast<int64_t>(frame.Pixels.size()) == format_.ImageSize;
  if (!fits) {
    ++refused_frames_;
    if (info)
      why = "the frame is " + SizeText(info->Width, info->Height) + " pixels with " +
            std::to_string(frame.Pixels.size()) + " pixel bytes; the movie is " +
            SizeText(format_.Width, format_.Height);
    last_error_ = "frame " + std::to_string(frame_counter_ + 1) + " was not added: " + why;
    // One message per recording: a resized window would otherwise stop a script at every frame.
    if (refused_frames_ == 1)
      messages_.ShowMessage("The frame does not match the movie (" + SizeText(format_.Width, format_.Height) +
                                " pixels) and was not added. Keep the window size while recording.",
                            MessageIcon::Exclamation);
    return;
  }
  std::string error;
  const bool written = compressed_->Write(frame_counter_, frame.Pixels, !mp4_, error);
  ++frame_counter_;
  if (!written) Fail(kMsgErrorWriting, MessageIcon::Information, error);
}

void AviRecorder::AVIend() {
  if (!IsRecording()) return;
  if (!Release(true)) messages_.ShowMessage(kMsgErrorWriting, MessageIcon::Information);
}

}  // namespace lumetrix::avi
