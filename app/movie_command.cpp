// lumetrix --movie: keyframe movies of volumes without a window.

#include <cstdio>
#include <filesystem>
#include <map>

#include "viewer/animation/keyframe_file.h"
#include "viewer/animation/movie_output.h"
#include "viewer/animation/movie_renderer.h"
#include "app/cli_commands.h"
#include "app/gif_options.h"
#include "app/memory_option.h"
#include "app/series_option.h"
#include "app/view_options.h"
#include "core/frame_size.h"
#include "core/output_check.h"
#include "viewer_ui/offscreen_viewer.h"

namespace lumetrix {
namespace {

struct MovieJob {
  std::string volume, movie;
};

int Usage(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return 2;
}

}  // namespace

int RunMovieCommand(const CommandLine& line) {
  // Every option is checked before the keyframe file or a volume is read.
  int width = 0, height = 0;
  if (auto size = line.Option("--size")) {
    if (std::string problem = ReadSizeOption(*size, width, height); !problem.empty()) return Usage(problem);
  }
  std::string error;
  const std::optional<ViewOptions> view = ParseViewOptions(line, error);
  if (!view) return Usage(error);
  animation::MovieRequest request;
  if (auto codec = line.Option("--codec")) {
    const auto options = avi::OptionsForCodec(*codec, avi::EncoderCatalog::Installed());
    if (!options) return Usage("--codec " + *codec + ": unknown codec; this computer has: " + avi::EncoderNames(avi::EncoderCatalog::Installed()));
    request.AviOptions = *options;
  }

  // The GIF reduction: only for GIF movies; the best-quality palette without dithering unless asked.
  const bool gif = line.Option("--out-dir") ? line.Option("--format") == "gif" : animation::IsGifMovieName(line.Arguments[1]);
  for (const char* option : {"--palette", "--dither"})
    if (line.Option(option) && !gif)
      return Usage(std::string(option) + " applies to GIF movies only (OUT.gif or --format gif)");
  if (std::string problem = ReadGifReduction(line, request.GifReduction); !problem.empty()) return Usage(problem);

  std::vector<MovieJob> jobs;
  if (auto dir = line.Option("--out-dir")) {
    const std::string format = line.Option("--format").value_or("mp4");
    if (format != "mp4" && format != "avi" && format != "gif") return Usage("--format " + format + ": the format must be mp4, avi or gif");
    if (line.Arguments.size() < 2) return Usage("--movie --out-dir needs at least one volume");
    // Two volumes of one name in different folders would write one movie over the other.
    std::map<std::string, std::string> first_for;  // movie -> the volume that gives it
    for (size_t i = 1; i < line.Arguments.size(); ++i) {
      const std::filesystem::path volume(line.Arguments[i]);
      const std::string movie = (std::filesystem::path(*dir) / volume.stem()).string() + "." + format;
      const auto [at, added] = first_for.emplace(movie, line.Arguments[i]);
      if (!added)
        return Usage("--out-dir: " + at->second + " and " + line.Arguments[i] + " would both be written to " + movie +
                     "; give them separate runs or folders");
      jobs.push_back({line.Arguments[i], movie});
    }
    if (std::string problem = OutputFolderProblem(*dir); !problem.empty()) return Usage(problem);
  } else {
    if (line.Arguments.size() != 3) return Usage("usage: lumetrix --movie KEYS.lkf OUT.mp4|OUT.avi|OUT.gif FILE.tif");
    jobs.push_back({line.Arguments[2], line.Arguments[1]});
  }

  // No movie may replace the keyframe file, a volume or a file made read-only.
  std::vector<std::string> inputs{line.Arguments[0]};
  for (const MovieJob& job : jobs) inputs.push_back(job.volume);
  for (const MovieJob& job : jobs)
    if (std::string problem = OutputProblem(job.movie, inputs); !problem.empty()) return Usage(problem);
  int32_t series = 0;
  {
    std::vector<std::string> volumes;
    for (const MovieJob& job : jobs) volumes.push_back(job.volume);
    if (std::string problem = ReadSeriesOption(line, volumes, series); !problem.empty()) return Usage(problem);
  }
  streaming::MemoryBudget memory;
  if (std::string problem = ReadMemoryBudget(line, memory); !problem.empty()) return Usage(problem);
  ProtectInputs(inputs);

  auto track = animation::LoadKeyframes(line.Arguments[0], error);
  if (!track) {
    std::fprintf(stderr, "%s: %s\n", line.Arguments[0].c_str(), error.c_str());
    return 1;
  }
  const std::string size_text = width > 0 ? "--size " + *line.Option("--size")
                                          : line.Arguments[0] + ": size [" + std::to_string(track->Width) + ", " +
                                                std::to_string(track->Height) + "]";
  if (width > 0) track->Width = width, track->Height = height;
  for (auto& key : track->Keys) view->ApplyTo(key.View);  // the options hold for the whole movie

  OffscreenViewer offscreen;
  offscreen.viewer.SetSeriesToOpen(series);
  offscreen.viewer.SetMemoryBudget(memory);
  // The driver's limit is asked before a volume is read.
  if (std::string problem = DrawingSizeProblem(size_text, track->Width, track->Height, offscreen.surface.MaxFrameSide());
      !problem.empty())
    return Usage(problem);
  int failed = 0;
  for (const MovieJob& job : jobs) {
    std::string reason;
    if (!offscreen.viewer.OpenImage(job.volume, reason)) {
      std::fprintf(stderr, "%s: %s\n", job.volume.c_str(), reason.c_str());
      ++failed;
      continue;
    }
    request.Path = job.movie;
    animation::KeyframeTrack job_track = *track;
    for (auto& key : job_track.Keys)
      if (!track->TransparencyGiven) key.View.Transparency = offscreen.viewer.View().Transparency;
    const animation::MovieResult result = animation::RenderMovie(offscreen.viewer, job_track, request);
    if (result.Status != animation::MovieStatus::Written) {
      std::fprintf(stderr, "%s: %s\n", job.volume.c_str(), result.Error.c_str());
      ++failed;
      continue;
    }
    std::printf("wrote %s (%d frames)\n", job.movie.c_str(), result.Frames);
  }
  if (failed) std::fprintf(stderr, "%d of %zu movies failed\n", failed, jobs.size());
  return failed ? 1 : 0;
}

}  // namespace lumetrix
