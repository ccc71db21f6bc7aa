#pragma once
// Helpers of the movie tests: synthetic frames, recording fakes, and an independent look into
// written files (FFmpeg's demuxer and decoders, and the AVI headers byte by byte).

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "export/avi/avi_messages.h"
#include "export/avi/bitmap_info.h"
#include "export/avi/compression_options.h"
#include "core/progress_sink.h"
#include "tests/support/tiff_fixture.h"

namespace lumetrix::avi::test {

using Bytes = std::vector<uint8_t>;
using test_support::ReadBytes;
using test_support::WriteBytes;
using TempFolder = test_support::TempDir;
// Names in a folder, sorted, hidden ones included.
std::vector<std::string> Names(const TempFolder& folder);

// A frame as the window captures it: bitmap information block and DIB pixel rows.
struct OwnedFrame {
  std::array<uint8_t, 44> Info{};
  Bytes Pixels;
  int32_t Width = 0, Height = 0;
  DibFrame View() const { return DibFrame{Info, Pixels}; }
  // Pixel (x, y) with y counted from the top of the picture: {blue, green, red}.
  std::array<uint8_t, 3> At(int32_t x, int32_t y) const;
};
// Smooth gradients with a bright square whose place depends on `index`, so frames differ.
OwnedFrame SyntheticFrame(int32_t width, int32_t height, int32_t index);
std::vector<OwnedFrame> SyntheticFrames(int32_t width, int32_t height, int count);

struct Message {
  std::string Text;
  MessageIcon Icon;
};
class RecordingSink : public MessageSink {
 public:
  void ShowMessage(const std::string& text, MessageIcon icon) override { Messages.push_back({text, icon}); }
  std::vector<Message> Messages;
};

// Answers with the given options, or cancels when none; counts how often it was asked.
class ScriptedOptions : public CompressionOptionsSource {
 public:
  explicit ScriptedOptions(std::optional<CompressionOptions> answer) : answer_(std::move(answer)) {}
  std::optional<CompressionOptions> ChooseOptions(const EncoderCatalog&) override {
    ++Asked;
    return answer_;
  }
  int Asked = 0;

 private:
  std::optional<CompressionOptions> answer_;
};
CompressionOptions OptionsFor(const std::string& codec, int32_t quality = 90);

// The movie tests' one fake progress display.
class RecordingProgress : public ProgressSink {
 public:
  void ShowProgress(const std::string& caption, int32_t, int32_t maximum) override { Caption = caption, Maximum = maximum; }
  void SetProgress(int32_t value) override { Values.push_back(value_ = value); }
  int32_t GetProgress() const override { return value_; }
  void HideProgress() override { value_ = 0, ++Hides; }
  std::string Caption;
  int32_t Maximum = -1;
  std::vector<int32_t> Values;  // every value set
  int Hides = 0;

 private:
  int32_t value_ = 0;
};

// Records the frames with the program's recorder (the first one also gives the format); false
// when the recorder refused or said anything.
bool RecordMovie(const std::string& path, const std::vector<OwnedFrame>& frames, double rate = 15,
                 const std::string& codec = "raw");

// What FFmpeg itself sees in a written file.
struct ProbedMovie {
  std::string Codec;
  int32_t Width = 0, Height = 0;
  int32_t RateNum = 0, RateDen = 0;  // frames per second
  int64_t Packets = 0;               // non-empty samples
  bool AllKey = true;
  std::vector<Bytes> Frames;  // decoded, as DIB rows (bottom-up BGR24, padded)
};
ProbedMovie ProbeMovie(const std::string& path);

// The headers of an AVI file, read byte by byte.
struct AviHeaders {
  bool Found = false;
  uint32_t TotalFrames = 0;  // avih
  std::string Type;
  uint32_t Scale = 0, Rate = 0, Length = 0, SuggestedBufferSize = 0;
  std::array<int16_t, 4> Frame{};  // left, top, right, bottom
  int32_t BiWidth = 0, BiHeight = 0;
  uint16_t BiBitCount = 0;
  uint32_t BiCompression = 0;
};
AviHeaders ReadAviHeaders(const std::string& path);

double Psnr(const Bytes& a, const Bytes& b);
// A test failure unless the pictures are equal or, when not `exact`, more than `minPsnr` dB alike.
void ExpectAlike(const Bytes& got, const Bytes& want, bool exact, double minPsnr);
// Keeps the first `share` of a file.
void Truncate(const std::string& path, double share);
// An AVI with one PCM audio stream and no video, written by the ffmpeg tool.
void WriteAudioOnlyAvi(const std::string& path);

}  // namespace lumetrix::avi::test
