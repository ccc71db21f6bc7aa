#include "viewer/cli_commands.h"

#include <cstdio>
#include <string>

#include "viewer/frm_3d.h"
#include "viewer/volume_loader.h"

namespace lumetrix {
namespace {

bool EndsWithNoCase(const std::string& s, const std::string& end) {
  if (s.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - end.size() + i])) != end[i]) return false;
  return true;
}

}  // namespace

double MeanSample(const VolumeData& v) {
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
  const auto volume = ReadVolume(path, image, progress, error);
  if (!volume) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::printf("%dx%dx%d %s %.2f\n", volume->Width, volume->Height, volume->Depth, volume->IsGrey ? "grey" : "rgb",
              MeanSample(*volume));
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
  if (auto size = line.Option("--size"); size && !ParseSize(*size, width, height)) {
    std::fprintf(stderr, "--size takes WIDTHxHEIGHT, for example 800x600\n");
    return 2;
  }
  double xrot = 0, yrot = 0;
  if (auto a = line.Option("--xrot"); a && !ParseNumber(*a, xrot)) {
    std::fprintf(stderr, "--xrot takes an angle in degrees\n");
    return 2;
  }
  if (auto a = line.Option("--yrot"); a && !ParseNumber(*a, yrot)) {
    std::fprintf(stderr, "--yrot takes an angle in degrees\n");
    return 2;
  }
  frm3D viewer(true);
  viewer.SetClientSize(width, height);
  if (!viewer.OpenAtStart(file)) return 1;
  viewer.SetXYRot(static_cast<float>(xrot), static_cast<float>(yrot));
  viewer.DrawImage();
  try {
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
