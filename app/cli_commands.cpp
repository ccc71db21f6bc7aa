#include "app/cli_commands.h"

#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/gif_options.h"
#include "app/memory_option.h"
#include "app/series_option.h"
#include "app/view_options.h"
#include "core/frame_size.h"
#include "core/output_check.h"
#include "core/view_value.h"
#include "export/avi/avi_recompressor.h"
#include "export/avi2gif/avi2gif_converter.h"
#include "export/avi2gif/avi2gif_messages.h"
#include "viewer_ui/offscreen_viewer.h"
#include "viewer/render_options.h"
#include "viewer/viewer.h"
#include "viewer/volume_loader.h"
#include "viewer/zarr_volume.h"

namespace lumetrix {
namespace {

bool EndsWithNoCase(const std::string& s, const std::string& end) {
  if (s.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - end.size() + i])) != end[i]) return false;
  return true;
}

// Shortest text within a millionth of the value (0.5, 2, 0.1625): resolution tags are floats.
std::string Number(double value) {
  char text[32];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::abs(std::strtod(text, nullptr) - value) <= 1e-6 * std::abs(value)) break;
  }
  return text;
}

}  // namespace

int RunScriptCommand(const CommandLine& line) {
  int32_t series = 0;
  streaming::MemoryBudget memory;
  for (const std::string& problem :
       {ReadSeriesOption(line, {line.Arguments[1]}, series), ReadMemoryBudget(line, memory)}) {
    if (!problem.empty()) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      return 2;
    }
  }
  ProtectInputs({line.Arguments[0], line.Arguments[1]});  // the script's own saves must not replace them
  OffscreenViewer offscreen;
  Viewer& viewer = offscreen.viewer;
  viewer.SetSeriesToOpen(series);
  viewer.SetMemoryBudget(memory);
  if (!viewer.OpenAtStart(line.Arguments[1])) return 1;
  std::string error;
  if (viewer.RunScriptFile(line.Arguments[0], error)) return 0;
  std::fprintf(stderr, "%s\n", error.c_str());
  return 1;
}

int RunRecompressCommand(const CommandLine& line) {
  StderrMessageSink messages;
  std::unique_ptr<avi::CompressionOptionsSource> options;
  if (auto codec = line.Option("--codec")) {
    const auto chosen = avi::OptionsForCodec(*codec, avi::EncoderCatalog::Installed());
    if (!chosen) {
      std::string names;
      for (const auto& e : avi::EncoderCatalog::Installed().Encoders()) names += " " + e.ShortName;
      std::fprintf(stderr, "--codec %s: unknown codec; this computer has:%s\n", codec->c_str(), names.c_str());
      return 2;
    }
    options = std::make_unique<avi::FixedOptionsSource>(*chosen);
  } else {
    options = std::make_unique<avi::RememberedOptionsSource>();
  }
  if (const std::string problem = OutputProblem(line.Arguments[1], {line.Arguments[0]}); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }
  const avi::RecompressResult result = avi::RecompressAvi(line.Arguments[0], line.Arguments[1], *options, messages);
  if (result.Status != avi::RecompressStatus::Ok) {
    if (!result.Detail.empty()) std::fprintf(stderr, "%s\n", result.Detail.c_str());
    return 1;
  }
  std::printf("wrote %s (%lld frames)\n", line.Arguments[1].c_str(), static_cast<long long>(result.FramesWritten));
  return 0;
}

int RunAviToGifCommand(const CommandLine& line) {
  StderrMessageSink messages;
  avi2gif::Avi2GifConverter converter(messages);
  gif::ReductionOptions reduction;
  reduction.Best = false;  // the converter's own default: the optimal palette of frame 1
  if (const std::string error = ReadGifReduction(line, reduction); !error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  converter.SetBestQuality(reduction.Best);
  converter.SetPaletteMode(reduction.PaletteMode);
  converter.SetDitherMode(reduction.DitherMode);
  converter.SetSwapRG(line.Option("--swaprg").has_value());
  converter.SetOptimize(line.Option("--optimize").has_value());
  const std::string& input = line.Arguments[0];
  const std::string& output = line.Arguments[1];
  if (input.empty()) {
    messages.ShowMessage(avi2gif::kMsgLoadError, MessageIcon::Exclamation);
    return 1;
  }
  if (const std::string reason = OverwriteReason(output, {input}); !reason.empty()) {
    std::fprintf(stderr, "Cannot write %s: %s\n", output.c_str(), reason.c_str());
    return 2;
  }
  // Top row first, the order the file is written in; no preview to import for afterwards.
  if (converter.OpenAvi(input, true) != avi2gif::ImportStatus::Ok) {
    if (!converter.LastDetail().empty()) std::fprintf(stderr, "%s\n", converter.LastDetail().c_str());
    return 1;
  }
  if (converter.WriteDocument(output) != avi2gif::SaveStatus::Saved) {
    if (!converter.LastDetail().empty()) std::fprintf(stderr, "%s\n", converter.LastDetail().c_str());
    return 1;
  }
  std::printf("wrote %s (%d frames, %d colours)\n", output.c_str(), converter.Document().FramesCount(),
              converter.Document().GlobalPaletteEntries());
  return 0;
}

double MeanSample(const VolumeData& v) {
  if (!v.ChannelMeans.empty()) {
    double sum = 0;
    for (double m : v.ChannelMeans) sum += m;
    return sum / static_cast<double>(v.ChannelMeans.size());
  }
  if (v.Samples.empty()) return 0;
  unsigned long long sum = 0;
  for (uint8_t s : v.Samples) sum += s;
  return static_cast<double>(sum) / static_cast<double>(v.Samples.size());
}

int RunInfoCommand(const CommandLine& line) {
  const std::string& path = line.Arguments[0];
  imaging::ImageBox image;
  NullProgress progress;
  std::string error;
  VolumeLoadOptions options;
  streaming::MemoryBudget memory;
  for (const std::string& problem : {ReadSeriesOption(line, {path}, options.Series), ReadMemoryBudget(line, memory)}) {
    if (!problem.empty()) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      return 2;
    }
  }
  options.MemoryBudget = memory.host;
  const auto volume = ReadVolume(path, image, progress, error, options);
  if (!volume) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string kind =
      volume->IsGrey ? "grey" : volume->IsRgb ? "rgb" : std::to_string(volume->FileChannels) + "ch";
  std::printf("%dx%dx%d %s %.2f\n", volume->Width, volume->Height, volume->Depth, kind.c_str(), MeanSample(*volume));
  std::printf("channels %d (%s)\n", volume->FileChannels, volume->Values.TypeName().c_str());
  std::printf("timepoints %d\n", volume->TimePoints);
  const double* s = volume->Voxel;
  if (s[0] > 0 && s[1] > 0) {
    const std::string z = s[2] > 0 ? Number(s[2]) : std::string("unknown");
    std::printf("voxel %s x %s x %s %s\n", Number(s[0]).c_str(), Number(s[1]).c_str(), z.c_str(),
                volume->VoxelUnit.c_str());
  } else {
    std::printf("voxel unknown\n");
  }
  for (const std::string& level : ZarrLevelLines(path, *volume)) std::printf("%s\n", level.c_str());
  const std::vector<imaging::SeriesSummary> series = imaging::ListSeries(path);
  for (size_t i = 0; i < series.size(); ++i)
    std::printf("%s\n", imaging::SeriesLine(static_cast<int32_t>(i + 1), series[i]).c_str());
  if (!volume->Note.empty()) std::fprintf(stderr, "%s\n", volume->Note.c_str());
  return 0;
}

int RunRenderCommand(const CommandLine& line) {
  const std::string& file = line.Arguments[0];
  const std::string& out = line.Arguments[1];
  const bool jpeg = EndsWithNoCase(out, ".jpg") || EndsWithNoCase(out, ".jpeg");
  if (!jpeg && !EndsWithNoCase(out, ".bmp")) {
    std::fprintf(stderr, "The output must be a .bmp or .jpg file: %s\n", out.c_str());
    return 2;
  }
  int width = 400, height = 400;
  const std::string size_text = line.Option("--size").value_or("400x400");
  double xrot = 0, yrot = 0;
  for (std::string problem : {ReadSizeOption(size_text, width, height),
                              ReadAngleOption("--xrot", line.Option("--xrot").value_or("0"), xrot),
                              ReadAngleOption("--yrot", line.Option("--yrot").value_or("0"), yrot)}) {
    if (!problem.empty()) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      return 2;
    }
  }
  std::string error;
  const std::optional<ViewOptions> view = ParseViewOptions(line, error);
  if (!view) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  int32_t series = 0;
  streaming::MemoryBudget memory;
  for (const std::string& problem : {ReadSeriesOption(line, {file}, series), ReadMemoryBudget(line, memory)}) {
    if (!problem.empty()) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      return 2;
    }
  }
  struct Range {
    int channel;
    double min, max;
  };
  std::vector<Range> ranges;  // one --range per channel
  for (const auto& [name, text] : line.Options) {
    if (name != "--range") continue;
    Range r{};
    char end = 0;
    if (std::sscanf(text.c_str(), "%d:%lf:%lf%c", &r.channel, &r.min, &r.max, &end) != 3 || r.channel < 1 ||
        !ViewValue(r.min) || !ViewValue(r.max) || !(r.max > r.min)) {
      std::fprintf(stderr, "--range %s: the range must be CHANNEL:MIN:MAX with MAX above MIN, for example 2:100:4000\n",
                   text.c_str());
      return 2;
    }
    ranges.push_back(r);
  }

  if (const std::string problem = OutputProblem(out, {file}); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }
  ProtectInputs({file});

  OffscreenViewer offscreen;
  Viewer& viewer = offscreen.viewer;
  // The driver's limit is asked before the volume is read: a size it cannot draw ends here.
  const std::string problem = DrawingSizeProblem("--size " + size_text, width, height, offscreen.surface.MaxFrameSide());
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }
  viewer.SetClientSize(width, height);
  viewer.SetSeriesToOpen(series);
  viewer.SetMemoryBudget(memory);
  if (!viewer.OpenAtStart(file)) return 1;
  try {
    ViewState state = viewer.View();
    state.XRot = static_cast<float>(xrot);
    state.YRot = static_cast<float>(yrot);
    view->ApplyTo(state);
    // The driver may lack what the mode needs: SetRenderMode says so rather than falling back.
    std::string why;
    if (!viewer.SetRenderMode(RenderModeName(state.Mode), why)) {
      std::fprintf(stderr, "--mode: %s\n", why.c_str());
      return 1;
    }
    viewer.ShowView(state);
    for (const Range& r : ranges) {
      try {
        viewer.SetDisplayRange(r.channel, r.min, r.max);
      } catch (const InvalidViewValue& e) {  // a channel the volume does not have
        std::fprintf(stderr, "--range: %s\n", e.what());
        return 2;
      }
    }
    viewer.SetScaleBar(line.Option("--scalebar").has_value());
    viewer.SetAxes(line.Option("--axes").has_value());
    viewer.DrawImage();
    if (jpeg)
      viewer.SaveJPG(out);
    else
      viewer.SaveBMP(out);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace lumetrix
