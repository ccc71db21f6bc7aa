// Recording cost per frame: from the captured frame in memory (bitmap information block and
// DIB rows) to the sample written in the movie, at 800 x 600.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "export/avi/avi_reader.h"
#include "export/avi/avi_recorder.h"

namespace lumetrix::avi {
namespace {

struct Frame {
  std::array<uint8_t, 44> Info;
  std::vector<uint8_t> Pixels;
  DibFrame View() const { return DibFrame{Info, Pixels}; }
};

// A rendered-looking frame: dark background, a soft bright blob that moves with `index`.
Frame MakeFrame(int32_t w, int32_t h, int index) {
  Frame f{MakeBitmapInfo(w, h), std::vector<uint8_t>(static_cast<size_t>(DibRowStride(w) * h))};
  const double cx = w * (0.3 + 0.02 * index), cy = h * 0.5;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = f.Pixels.data() + y * DibRowStride(w);
    for (int32_t x = 0; x < w; ++x) {
      const double d = std::hypot(x - cx, y - cy) / (w * 0.25);
      const double v = 255.0 * std::exp(-d * d);
      row[3 * x + 0] = static_cast<uint8_t>(v * 0.3);
      row[3 * x + 1] = static_cast<uint8_t>(v);
      row[3 * x + 2] = static_cast<uint8_t>(v * 0.6 + ((x ^ y) & 7));
    }
  }
  return f;
}

class Quiet : public MessageSink {
 public:
  void ShowMessage(const std::string& text, MessageIcon) override { last = text; }
  std::string last;
};

void RecordFrames(benchmark::State& state, const std::string& codec) {
  if (!EncoderCatalog::Installed().Find(codec)) {
    state.SkipWithError("encoder not on this machine");
    return;
  }
  constexpr int32_t kW = 800, kH = 600;
  std::vector<Frame> frames;
  for (int i = 0; i < 8; ++i) frames.push_back(MakeFrame(kW, kH, i));
  const std::string path =
      (std::filesystem::temp_directory_path() / ("bench_avi_" + codec + "_" + std::to_string(::getpid()) + ".avi"))
          .string();
  Quiet messages;
  CompressionOptions options;
  options.Codec = codec;
  FixedOptionsSource source(options);
  AviRecorder recorder(messages, source);
  if (!recorder.AVIStart(path, 25, frames[0].View())) {
    state.SkipWithError(recorder.LastError().c_str());
    return;
  }
  size_t i = 0;
  for (auto _ : state) {
    recorder.AVIAdd(frames[i++ % frames.size()].View());
    if (!recorder.IsRecording()) {
      state.SkipWithError(recorder.LastError().c_str());
      break;
    }
  }
  recorder.AVIend();
  std::error_code ec;
  state.counters["MB_per_frame"] =
      static_cast<double>(std::filesystem::file_size(path, ec)) / 1e6 / std::max<int32_t>(1, recorder.FrameCounter());
  std::filesystem::remove(path, ec);
  state.SetItemsProcessed(state.iterations());
}

void BM_RecordFrame_Mjpeg(benchmark::State& state) { RecordFrames(state, "mjpeg"); }
void BM_RecordFrame_Raw(benchmark::State& state) { RecordFrames(state, "raw"); }
void BM_RecordFrame_Ffv1(benchmark::State& state) { RecordFrames(state, "ffv1"); }
void BM_RecordFrame_Mpeg4(benchmark::State& state) { RecordFrames(state, "mpeg4"); }

BENCHMARK(BM_RecordFrame_Mjpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RecordFrame_Raw)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RecordFrame_Ffv1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RecordFrame_Mpeg4)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Reading back, as the GIF converter does: one 32-bit frame after the other.
void BM_ReadFrame_Mjpeg(benchmark::State& state) {
  constexpr int32_t kW = 800, kH = 600;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("bench_avi_read_" + std::to_string(::getpid()) + ".avi")).string();
  {
    Quiet messages;
    FixedOptionsSource source(CompressionOptions{});
    AviRecorder recorder(messages, source);
    const Frame f = MakeFrame(kW, kH, 0);
    if (!recorder.AVIStart(path, 25, f.View())) {
      state.SkipWithError(recorder.LastError().c_str());
      return;
    }
    for (int i = 0; i < 20; ++i) recorder.AVIAdd(MakeFrame(kW, kH, i).View());
    recorder.AVIend();
  }
  AviReader reader;
  if (!reader.Open(path)) {
    state.SkipWithError(reader.Error().c_str());
    return;
  }
  DecodedFrame frame;
  int64_t i = 0;
  for (auto _ : state) {
    if (!reader.ReadFrame(i, PixelLayout::Bgr32, RowOrder::BottomUp, frame)) {
      state.SkipWithError(reader.Error().c_str());
      break;
    }
    i = (i + 1) % reader.FrameCount();
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadFrame_Mjpeg)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace lumetrix::avi
