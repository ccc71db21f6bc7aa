// LZW encoding beside giflib, palette making with Floyd–Steinberg beside FFmpeg's palettegen /
// paletteuse filters, and whole GIF movies (best-quality reduction and encoding) beside the ffmpeg
// tool, on rendered-volume-like pictures.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/pixfmt.h>
}

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/child_process.h"
#include "bench/support/cpu_time.h"
#include "bench/support/temp_folders.h"
#include "export/gif/animation_builder.h"
#include "export/gif/best_palette.h"
#include "export/gif/dither8bpp.h"
#include "export/gif/gif_lzw_encoder.h"
#include "volume_frames.h"

namespace {

namespace bench = lumetrix::bench;
using lumetrix::bench::VolumeFrame;
using namespace lumetrix::gif;

constexpr int kFrames = 100;
constexpr int32_t kWidth = 640, kHeight = 480;

// 100 reduced frames of a turning volume, the converter's way: the first frame's optimal
// palette for all, without dithering (dither 0) or with Floyd–Steinberg (dither 2).
const std::vector<cDIB>& IndexedFrames(int ditherMode) {
  static std::vector<cDIB> frames[3];
  std::vector<cDIB>& set = frames[ditherMode];
  if (set.empty()) {
    mDither8bpp dither;
    dither.SetPaletteMode(mDither8bpp::kOptimal);
    dither.SetDitherMode(ditherMode);
    cPal8bpp palette;
    for (int i = 0; i < kFrames; ++i) {
      cDIB out;
      if (!dither.Reduce(VolumeFrame(kWidth, kHeight, i), out, palette, i > 0)) throw std::runtime_error("reduce");
      set.push_back(std::move(out));
    }
  }
  return set;
}

void BM_LzwLumetrix(benchmark::State& state) {
  const std::vector<cDIB>& frames = IndexedFrames(static_cast<int>(state.range(0)));
  mGIFLZWEnc encoder;
  std::vector<uint8_t> out;
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const cDIB& frame : frames) {
      out.clear();
      encoder.WriteImageData(frame, false, 8, out);
      bytes += out.size();
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["out_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * kFrames);  // frames per second
  state.SetBytesProcessed(state.iterations() * kFrames * int64_t{kWidth} * kHeight);
}

int AppendToVector(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

void BM_LzwGiflib(benchmark::State& state) {
  const std::vector<cDIB>& frames = IndexedFrames(static_cast<int>(state.range(0)));
  std::vector<uint8_t> out;
  GifColorType colours[256] = {};
  size_t imageBytes = 0;
  for (auto _ : state) {
    out.clear();
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendToVector, &error);
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
    const size_t header = out.size();
    for (const cDIB& frame : frames) {
      EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
      for (int32_t y = 0; y < kHeight; ++y)
        if (EGifPutLine(gif, const_cast<GifPixelType*>(frame.Row(y)), kWidth) != GIF_OK)
          state.SkipWithError("EGifPutLine failed");
    }
    imageBytes = out.size() - header - 10 * kFrames;  // without the image descriptors
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["out_bytes"] = static_cast<double>(imageBytes);
  state.SetItemsProcessed(state.iterations() * kFrames);  // frames per second
  state.SetBytesProcessed(state.iterations() * kFrames * int64_t{kWidth} * kHeight);
}

BENCHMARK(BM_LzwLumetrix)->Arg(0)->Arg(2)->ArgName("dither")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzwGiflib)->Arg(0)->Arg(2)->ArgName("dither")->Unit(benchmark::kMillisecond);

const cDIB& FullHdFrame() {
  static const cDIB frame = VolumeFrame(1920, 1080, 17);
  return frame;
}

double Psnr(double sumSquares, size_t samples) {
  const double mse = sumSquares / static_cast<double>(samples);
  return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

double PsnrOf(const cDIB& source, const cDIB& reduced) {
  double sum = 0.0;
  for (int32_t y = 0; y < source.Height(); ++y) {
    const uint8_t* in = source.Row(y);
    const uint8_t* out = reduced.Row(y);
    for (int32_t x = 0; x < source.Width(); ++x) {
      const RGBQuad& e = reduced.Palette()[out[x]];
      const int db = in[4 * x] - e.blue, dg = in[4 * x + 1] - e.green, dr = in[4 * x + 2] - e.red;
      sum += db * db + dg * dg + dr * dr;
    }
  }
  return Psnr(sum, static_cast<size_t>(source.Width()) * source.Height() * 3);
}

void BM_OptimalPaletteFloydSteinberg(benchmark::State& state) {
  const cDIB& source = FullHdFrame();
  mDither8bpp dither;
  dither.SetPaletteMode(mDither8bpp::kOptimal);
  dither.SetDitherMode(mDither8bpp::kFloydSteinberg);
  cPal8bpp palette;
  cDIB out;
  for (auto _ : state) {
    dither.Reduce(source, out, palette, false);
    benchmark::DoNotOptimize(out.Bits());
  }
  state.counters["psnr_db"] = PsnrOf(source, out);
  state.counters["colours"] = palette.Entries();
}

void BM_OptimalPaletteOnly(benchmark::State& state) {
  const cDIB& source = FullHdFrame();
  cPal8bpp palette;
  for (auto _ : state) {
    palette.CreateOptimal(source, 256, 6, 1.0, 1.0, 1.0);
    benchmark::DoNotOptimize(palette.lpPalette());
  }
  state.counters["colours"] = palette.Entries();
}

// One run of FFmpeg's two-pass palette filters over the frames (one palette for all); returns
// the mean PSNR.
double FfmpegPaletteGenUse(const std::vector<const cDIB*>& sources, const char* chain) {
  const cDIB& source = *sources.front();
  AVFilterGraph* graph = avfilter_graph_alloc();
  AVFilterContext* src = nullptr;
  AVFilterContext* sink = nullptr;
  char args[256];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/25:pixel_aspect=1/1", source.Width(),
                source.Height(), static_cast<int>(AV_PIX_FMT_BGRA));
  if (avfilter_graph_create_filter(&src, avfilter_get_by_name("buffer"), "in", args, nullptr, graph) < 0 ||
      avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph) < 0)
    throw std::runtime_error("filters");
  AVFilterInOut* outputs = avfilter_inout_alloc();
  AVFilterInOut* inputs = avfilter_inout_alloc();
  outputs->name = av_strdup("in");
  outputs->filter_ctx = src;
  inputs->name = av_strdup("out");
  inputs->filter_ctx = sink;
  if (avfilter_graph_parse_ptr(graph, chain, &inputs, &outputs, nullptr) < 0 || avfilter_graph_config(graph, nullptr) < 0)
    throw std::runtime_error("graph");
  avfilter_inout_free(&inputs);
  avfilter_inout_free(&outputs);

  for (size_t i = 0; i < sources.size(); ++i) {
    AVFrame* frame = av_frame_alloc();
    frame->width = source.Width();
    frame->height = source.Height();
    frame->format = AV_PIX_FMT_BGRA;
    frame->pts = static_cast<int64_t>(i);
    av_frame_get_buffer(frame, 32);
    // Opaque pixels: palettegen/paletteuse treat a low alpha as transparent.
    for (int32_t y = 0; y < source.Height(); ++y) {
      uint8_t* row = frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0];
      std::memcpy(row, sources[i]->Row(y), static_cast<size_t>(source.Width()) * 4);
      for (int32_t x = 0; x < source.Width(); ++x) row[4 * x + 3] = 255;
    }
    if (av_buffersrc_add_frame(src, frame) < 0) throw std::runtime_error("push");
    av_frame_free(&frame);
  }
  if (av_buffersrc_add_frame(src, nullptr) < 0) throw std::runtime_error("push");
  double total = 0.0;
  for (const cDIB* each : sources) {
  const cDIB& source = *each;
  AVFrame* out = av_frame_alloc();
  if (av_buffersink_get_frame(sink, out) < 0 || out->format != AV_PIX_FMT_PAL8) throw std::runtime_error("pull");
  double sum = 0.0;
  const auto* palette = reinterpret_cast<const uint32_t*>(out->data[1]);
  for (int32_t y = 0; y < source.Height(); ++y) {
    const uint8_t* in = source.Row(y);
    const uint8_t* indices = out->data[0] + static_cast<ptrdiff_t>(y) * out->linesize[0];
    for (int32_t x = 0; x < source.Width(); ++x) {
      const uint32_t c = palette[indices[x]];
      const int db = in[4 * x] - static_cast<int>(c & 0xFF), dg = in[4 * x + 1] - static_cast<int>((c >> 8) & 0xFF),
                dr = in[4 * x + 2] - static_cast<int>((c >> 16) & 0xFF);
      sum += db * db + dg * dg + dr * dr;
    }
  }
  av_frame_free(&out);
  total += Psnr(sum, static_cast<size_t>(source.Width()) * source.Height() * 3);
  }
  avfilter_graph_free(&graph);
  return total / static_cast<double>(sources.size());
}

void BM_FfmpegPaletteGenUse(benchmark::State& state) {
  const cDIB& source = FullHdFrame();
  double psnr = 0.0;
  for (auto _ : state)
    psnr = FfmpegPaletteGenUse({&source},
                               "split[a][b];[a]palettegen=max_colors=256:reserve_transparent=0:stats_mode=full[p];"
                               "[b][p]paletteuse=dither=floyd_steinberg");
  state.counters["psnr_db"] = psnr;
}

// A movie of a turning volume, 30 frames of 640 x 480, as a keyframe movie gives it to the GIF
// writer: the best-quality reduction beside FFmpeg's palettegen/paletteuse with the same
// dithering (argument: 0 none, 2 Floyd–Steinberg), first the reduction alone in this process,
// then the whole way to a GIF file, FFmpeg's as the ffmpeg tool runs it. Times are wall-clock;
// cpu_ms counts every thread (and for the tool its process).
const std::vector<cDIB>& MovieFrames() {
  static const std::vector<cDIB> frames = [] {
    std::vector<cDIB> list;
    for (int i = 0; i < 30; ++i) list.push_back(VolumeFrame(kWidth, kHeight, 3 * i));
    return list;
  }();
  return frames;
}

const char* FfmpegDither(int64_t mode) { return mode == mDither8bpp::kFloydSteinberg ? "floyd_steinberg" : "none"; }

std::string FfmpegChain(int64_t mode) {
  return std::string("split[a][b];[a]palettegen[p];[b][p]paletteuse=dither=") + FfmpegDither(mode);
}

void BM_BestPaletteMovie(benchmark::State& state) {
  const std::vector<cDIB>& movie = MovieFrames();
  double psnr = 0.0;
  for (auto _ : state) {
    BestPalette best;
    for (const cDIB& f : movie) best.Count(f);
    best.Build();
    psnr = 0.0;
    cDIB out;
    std::vector<RGBQuad> used;
    bool own = false;
    for (const cDIB& f : movie) {
      best.Map(f, out, used, own, static_cast<int>(state.range(0)));
      psnr += PsnrOf(f, out);
    }
    psnr /= static_cast<double>(movie.size());
  }
  state.counters["psnr_db"] = psnr;
}

void BM_FfmpegPaletteGenUseMovie(benchmark::State& state) {
  std::vector<const cDIB*> movie;
  for (const cDIB& f : MovieFrames()) movie.push_back(&f);
  double psnr = 0.0;
  for (auto _ : state) psnr = FfmpegPaletteGenUse(movie, FfmpegChain(state.range(0)).c_str());
  state.counters["psnr_db"] = psnr;
}

// Mean PSNR of a GIF file's frames against the movie, decoded by the ffmpeg tool.
double GifPsnr(const std::filesystem::path& gif) {
  const bench::ChildResult decoded =
      bench::RunChild({"ffmpeg", "-v", "error", "-i", gif.string(), "-f", "rawvideo", "-pix_fmt", "bgra", "-"});
  const std::vector<cDIB>& movie = MovieFrames();
  const size_t frameBytes = size_t{kWidth} * kHeight * 4;
  if (decoded.ExitCode != 0 || decoded.Out.size() != frameBytes * movie.size()) return 0.0;
  double total = 0.0;
  for (size_t i = 0; i < movie.size(); ++i) {
    double sum = 0.0;
    const auto* pixels = reinterpret_cast<const uint8_t*>(decoded.Out.data()) + i * frameBytes;
    for (int32_t y = 0; y < kHeight; ++y) {
      const uint8_t* in = movie[i].Row(y);
      const uint8_t* got = pixels + static_cast<size_t>(y) * kWidth * 4;
      for (int32_t x = 0; x < kWidth * 4; ++x)
        if (x % 4 != 3) sum += (in[x] - got[x]) * (in[x] - got[x]);
    }
    total += Psnr(sum, size_t{kWidth} * kHeight * 3);
  }
  return total / static_cast<double>(movie.size());
}

double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The keyframe movie's way: colours counted, palette built, frames mapped, encoded and saved.
void BM_BestGifMovieFile(benchmark::State& state) {
  const std::vector<cDIB>& movie = MovieFrames();
  bench::ScratchFolder folder("lumetrix-bench-gif");
  const std::filesystem::path gif = folder.path() / "best.gif";
  const double cpu = bench::ProcessCpuSeconds();
  for (auto _ : state) {
    BestPalette best;
    for (const cDIB& f : movie) best.Count(f);
    best.Build();
    cGIF document;
    mDither8bpp dither;
    dither.SetDitherMode(static_cast<int>(state.range(0)));
    GifAnimationBuilder builder(document, dither);
    cDIB work;
    for (const cDIB& f : movie) {
      work = f;
      if (!builder.AddFrameBest(work, false, false, 40, best)) return state.SkipWithError("AddFrameBest failed");
    }
    builder.Finish();
    std::string error;
    if (!document.Save(gif.string(), &error)) return state.SkipWithError(error.c_str());
  }
  state.counters["cpu_ms"] = (bench::ProcessCpuSeconds() - cpu) * 1e3 / static_cast<double>(state.iterations());
  state.counters["psnr_db"] = GifPsnr(gif);
  state.counters["file_kb"] = static_cast<double>(std::filesystem::file_size(gif)) / 1024.0;
}

// ffmpeg -filter_complex palettegen/paletteuse on the same frames, read raw from a file.
void BM_FfmpegGifMovieFile(benchmark::State& state) {
  const std::vector<cDIB>& movie = MovieFrames();
  bench::ScratchFolder folder("lumetrix-bench-gif");
  const std::filesystem::path raw = folder.path() / "frames.bgra", gif = folder.path() / "ffmpeg.gif";
  {
    std::ofstream out(raw, std::ios::binary);
    for (const cDIB& f : movie)
      for (int32_t y = 0; y < kHeight; ++y) {
        // Opaque: palettegen/paletteuse treat a low alpha as transparent.
        std::vector<uint8_t> row(f.Row(y), f.Row(y) + size_t{kWidth} * 4);
        for (int32_t x = 0; x < kWidth; ++x) row[static_cast<size_t>(x) * 4 + 3] = 255;
        out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
      }
  }
  const std::vector<std::string> command = {
      "ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "bgra", "-video_size",
      std::to_string(kWidth) + "x" + std::to_string(kHeight), "-framerate", "25", "-i", raw.string(),
      "-filter_complex", FfmpegChain(state.range(0)), gif.string()};
  const double cpu = ChildCpuSeconds();
  for (auto _ : state) {
    const bench::ChildResult run = bench::RunChild(command);
    if (run.ExitCode != 0) return state.SkipWithError(("ffmpeg failed: " + run.Err).c_str());
  }
  state.counters["cpu_ms"] = (ChildCpuSeconds() - cpu) * 1e3 / static_cast<double>(state.iterations());
  state.counters["psnr_db"] = GifPsnr(gif);
  state.counters["file_kb"] = static_cast<double>(std::filesystem::file_size(gif)) / 1024.0;
}

BENCHMARK(BM_BestPaletteMovie)->Arg(0)->Arg(2)->ArgName("dither")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FfmpegPaletteGenUseMovie)->Arg(0)->Arg(2)->ArgName("dither")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BestGifMovieFile)->Arg(0)->Arg(2)->ArgName("dither")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FfmpegGifMovieFile)->Arg(0)->Arg(2)->ArgName("dither")->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_OptimalPaletteFloydSteinberg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptimalPaletteOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FfmpegPaletteGenUse)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  av_log_set_level(AV_LOG_ERROR);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
