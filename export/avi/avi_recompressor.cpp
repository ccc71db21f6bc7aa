#include "export/avi/avi_recompressor.h"

#include <algorithm>
#include <limits>

#include "core/progress_scope.h"
#include "export/avi/avi_file.h"
#include "export/avi/avi_reader.h"
#include "export/avi/bitmap_info.h"
#include "export/avi/stream_header.h"

namespace lumetrix::avi {

RecompressResult RecompressAvi(const std::string& inputPath, const std::string& outputPath,
                               CompressionOptionsSource& options, MessageSink& messages,
                               ProgressSink* progress, const EncoderCatalog& catalog) {
  RecompressResult result;
  auto fail = [&](RecompressStatus status, const std::string& detail) {
    result.Status = status;
    result.Detail = detail;
    messages.ShowMessage(std::string(kMsgErrorWorkingWith) + "\n" + inputPath, MessageIcon::Information);
    return result;
  };

  AviReader reader;
  if (!reader.Open(inputPath)) return fail(RecompressStatus::InputError, reader.Error());

  const std::optional<CompressionOptions> chosen = options.ChooseOptions(catalog);
  if (!chosen) {
    messages.ShowMessage(kMsgSaveOptionsError, MessageIcon::Critical);
    result.Status = RecompressStatus::OptionsCancelled;
    result.Detail = "the compression options were cancelled";
    return result;
  }
  const CompressionOptions sane = Sanitize(*chosen, catalog);

  const int64_t frames = reader.FrameCount();
  constexpr int64_t kMaxBar = std::numeric_limits<int32_t>::max();
  ProgressScope scope(progress, kRecompressCaption, static_cast<int32_t>(std::min(frames + 1, kMaxBar)));

  const int32_t width = reader.Width(), height = reader.Height();
  AviStreamHeader header;
  header.Rate = static_cast<uint32_t>(reader.FrameRateNumerator());
  header.Scale = static_cast<uint32_t>(reader.FrameRateDenominator());
  header.SuggestedBufferSize = static_cast<uint32_t>(DibRowStride(width) * height);
  header.Frame = FrameRect{0, 0, width, height};

  std::string error;
  auto file = AviFile::OpenForWriting(outputPath, error);
  if (!file) return fail(RecompressStatus::OutputError, error);
  auto stream = file->CreateStream(header, error);
  if (!stream) return fail(RecompressStatus::OutputError, error);
  auto compressed = AviCompressedStream::Make(*stream, sane, catalog, false, error);
  if (!compressed) return fail(RecompressStatus::OutputError, error);
  const auto format = MakeBitmapInfo(width, height);
  if (!compressed->SetFormat(0, format, error)) return fail(RecompressStatus::OutputError, error);

  DecodedFrame frame;
  for (int64_t i = 0; i < frames; ++i) {
    if (!reader.ReadFrame(i, PixelLayout::Bgr24, RowOrder::BottomUp, frame))
      return fail(RecompressStatus::InputError, reader.Error());
    if (!compressed->Write(i, frame.Pixels, i == 0, error)) return fail(RecompressStatus::OutputError, error);
    ++result.FramesWritten;
    scope.Step(static_cast<int32_t>(std::min(i + 1, kMaxBar)));
  }
  reader.Close();
  stream.reset();
  const bool flushed = compressed->Release(error);
  compressed.reset();
  if (!flushed || !file->Close(error)) return fail(RecompressStatus::OutputError, error);
  return result;
}

}  // namespace lumetrix::avi
