#pragma once
// Writing AVI movies, in the steps a recording goes through: open the file, create the video
// stream with its header, make the compressed stream from the chosen options, set its format
// from the first frame's bitmap information, write samples, then release the uncompressed
// stream, the compressed stream and the file, in that order.
//
// The file is written under a temporary name beside the target and only takes the target's
// name when it is closed successfully; a file that is abandoned, or released without a
// successful close, is removed.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "export/avi/compression_options.h"
#include "export/avi/encoder_catalog.h"
#include "export/avi/stream_header.h"

namespace lumetrix::avi {

namespace detail {
struct AviFileCore;
}

class AviStream;

// A name ending in ".mp4" (any case) is written as an MP4 file, every other name as AVI.
bool IsMp4Name(const std::string& path);

class AviFile {
 public:
  // Fails when the folder is missing or not writable, or `path` is a folder.
  static std::unique_ptr<AviFile> OpenForWriting(const std::string& path, std::string& error);
  ~AviFile();  // abandons the file unless Close succeeded
  AviFile(const AviFile&) = delete;
  AviFile& operator=(const AviFile&) = delete;

  // The one video stream of the file. The header's frame rectangle gives the frame size,
  // Rate / Scale the frames per second.
  std::unique_ptr<AviStream> CreateStream(const AviStreamHeader& header, std::string& error);

  // Finishes the movie: a compressed stream still open is flushed first, then the index is
  // written and the file takes its name. A file whose stream format was never set is removed
  // and false is returned. After Close (either way) the file is finished.
  bool Close(std::string& error);
  // Drops everything written; the target keeps whatever it was before.
  void Abandon();

  const std::string& Path() const;
  // The name the file is being written under (empty once closed or abandoned).
  std::string TemporaryPath() const;

 private:
  explicit AviFile(std::shared_ptr<detail::AviFileCore> core);
  std::shared_ptr<detail::AviFileCore> core_;
};

// The uncompressed stream as created; it holds the header. It may be released at any time.
class AviStream {
 public:
  ~AviStream();
  AviStream(const AviStream&) = delete;
  AviStream& operator=(const AviStream&) = delete;
  const AviStreamHeader& Header() const { return header_; }

 private:
  friend class AviFile;
  friend class AviCompressedStream;
  AviStream(std::weak_ptr<detail::AviFileCore> core, const AviStreamHeader& header);
  std::weak_ptr<detail::AviFileCore> core_;
  AviStreamHeader header_;
};

// The stream that encodes samples into the file.
class AviCompressedStream {
 public:
  // Sets up the encoder the options name for the stream's frame size. everyFrameKey makes
  // every frame a key frame, whatever the options' key-frame spacing.
  static std::unique_ptr<AviCompressedStream> Make(AviStream& stream, const CompressionOptions& options,
                                                   const EncoderCatalog& catalog, bool everyFrameKey,
                                                   std::string& error);
  ~AviCompressedStream();  // releases
  AviCompressedStream(const AviCompressedStream&) = delete;
  AviCompressedStream& operator=(const AviCompressedStream&) = delete;

  // The samples' format: a bitmap information block (BITMAPINFOHEADER, 24 bits, no
  // compression, rows bottom-up) of the stream's frame size. Only position 0 exists.
  bool SetFormat(int64_t position, std::span<const uint8_t> bitmapInfo, std::string& error);

  // One sample: exactly the DIB pixel block of the format (bottom-up BGR rows padded to 4
  // bytes). Positions must increase; a skipped position becomes an empty (repeat) frame.
  bool Write(int64_t position, std::span<const uint8_t> pixels, bool keyFrame, std::string& error);

  // Flushes frames the encoder still holds into the file. Later writes fail.
  bool Release(std::string& error);

  const EncoderInfo& Encoder() const;
  int64_t SamplesWritten() const;

 private:
  struct Impl;
  explicit AviCompressedStream(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace lumetrix::avi
