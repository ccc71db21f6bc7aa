#include "app/view_options.h"

#include <array>
#include <cmath>

#include "core/view_value.h"
#include "viewer/render_options.h"

namespace lumetrix {
namespace {

// "1,2.5,3" -> its `N` numbers; false for another count or a word that is not a number.
template <size_t N>
bool Numbers(const std::string& text, std::array<double, N>& out) {
  size_t start = 0;
  for (size_t i = 0; i < N; ++i) {
    const size_t comma = text.find(',', start);
    if ((comma == std::string::npos) != (i + 1 == N)) return false;
    if (!ParseNumber(text.substr(start, comma - start), out[i])) return false;
    start = comma + 1;
  }
  return true;
}

}  // namespace

void ViewOptions::ApplyTo(ViewState& view) const {
  if (Mode) view.Mode = *Mode;
  if (Crop) view.Crop = *Crop;
  if (Clip) view.Clip = *Clip;
  if (Ortho) view.Proj = Projection::Orthographic;
  if (Quality) view.Quality = *Quality;
}

std::optional<ViewOptions> ParseViewOptions(const CommandLine& line, std::string& error) {
  ViewOptions options;
  std::string option;  // the one being read and its value, for the message
  const auto named = [&](const std::string& name) {
    auto value = line.Option(name);
    option = name + " " + value.value_or("");
    return value;
  };
  try {
    if (auto word = named("--mode")) {
      options.Mode = ParseRenderMode(*word);
      if (!options.Mode) throw InvalidViewValue(kRenderModeWords);
    }
    if (auto text = named("--crop")) {
      std::array<double, 6> limits{};
      if (!Numbers(*text, limits)) {
        error = option + ": the crop takes X0,X1,Y0,Y1,Z0,Z1 in voxels from 0, for example 0,63,0,63,0,31";
        return std::nullopt;
      }
      options.Crop = CheckedCrop(limits);
    }
    if (auto text = named("--clip")) {
      std::array<double, 4> plane{};
      if (!Numbers(*text, plane)) {
        error = option + ": the plane takes NX,NY,NZ,D (voxels where NX*x + NY*y + NZ*z > D are cut away), for example 0,0,1,10";
        return std::nullopt;
      }
      options.Clip = CheckedClipPlane(plane[0], plane[1], plane[2], plane[3]);
    }
    if (auto text = named("--quality")) {
      double step = 0;
      if (!ParseNumber(*text, step)) step = std::nan("");  // text that is no number gets the check's sentence
      options.Quality = CheckedQuality(step);
    }
  } catch (const InvalidViewValue& e) {
    error = option + ": " + e.what();
    return std::nullopt;
  }
  options.Ortho = line.Option("--ortho").has_value();
  return options;
}

}  // namespace lumetrix
