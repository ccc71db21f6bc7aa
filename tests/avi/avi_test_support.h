#pragma once
// Shared helpers of the movie tests: synthetic frames, recording sinks, and an independent
// look into written files (FFmpeg's demuxer and decoders, and the AVI headers byte by byte).

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

namespace lumetrix::avi::test {

// A frame as the window captures it: bitmap information block and DIB pixel rows.
struct OwnedFrame {
  std::array<uint8_t, 44> Info{};
  std::vector<uint8_t> Pixels;
  int32_t Width = 0, Height = 0;
  DibFrame View() const { return DibFrame{Info, Pixels}; }
  // Pixel (x, y) with y counted from the top of the picture: {blue, green, red}.
  std::array<uint8_t, 3> At(int32_t x, int32_t y) const;
};

// Smooth gradients with a bright square whose place depends on `index`, so frames differ.
OwnedFrame SyntheticFrame(int32_t width, int32_t height, int32_t index);

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

class RecordingProgress : public ProgressSink {
 public:
  void ShowProgress(const std::string& caption, int32_t start, int32_t maximum) override;
  void SetProgress(int32_t value) override;
  int32_t GetProgress() const override { return value_; }
  void HideProgress() override;
  std::string Caption;
  int32_t Maximum = -1;
  std::vector<int32_t> Values;  // every value set
  bool Shown = false;
  int Hides = 0;

 private:
  int32_t value_ = 0;
};

// A fresh folder under the system temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> Names() const;  // sorted, hidden files included
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// What FFmpeg itself sees in a written file.
struct ProbedMovie {
  bool Opened = false;
  std::string Codec;
  int32_t Width = 0, Height = 0;
  int32_t RateNum = 0, RateDen = 0;  // frames per second
  int64_t Packets = 0;               // non-empty samples
  bool AllKey = true;
  std::vector<std::vector<uint8_t>> Frames;  // decoded, as DIB rows (bottom-up BGR24, padded)
};
ProbedMovie ProbeMovie(const std::string& path, bool decode = true);

// The headers of an AVI file, read byte by byte.
struct AviHeaders {
  bool Found = false;
  uint32_t TotalFrames = 0;  // avih
  std::string Type, Handler;
  uint32_t Scale = 0, Rate = 0, Length = 0, SuggestedBufferSize = 0;
  int16_t FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0;
  int32_t BiWidth = 0, BiHeight = 0;
  uint16_t BiBitCount = 0;
  uint32_t BiCompression = 0;
};
AviHeaders ReadAviHeaders(const std::string& path);

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// An AVI with one PCM audio stream and no video.
void WriteAudioOnlyAvi(const std::string& path);

}  // namespace lumetrix::avi::test
