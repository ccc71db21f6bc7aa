#pragma once
// The GLSL 1.20 program of the ray caster, written for a number of channels (each a sampler of
// its own: GLSL 1.20 cannot index samplers by a loop counter).

#include <string>

namespace lumetrix {

// Modes as the shader's u_mode takes them.
enum RayShaderMode { kRayComposite = 0, kRayMip = 1, kRayAttenuated = 2, kRayMinIp = 3, kRayIso = 4 };

// What a program is written for: a driver that runs both sides of a branch under a mask (Mesa's
// llvmpipe) pays for every branch at every sample, so work a frame does not need is left out.
struct RayProgramOptions {
  int Channels = 1;      // 1..8
  bool Palette = false;  // the first channel's level looks its colour up in u_palette
  bool Clip = false;     // the voxels beyond the clipping plane are read as empty near it
  bool Crop = false;     // samples are kept between the centres of the first and last voxels kept
  // The channels lie in brick atlases read through a page table (render/bricked_volume.h); the
  // clipping plane then cuts the rays only.
  bool Bricked = false;
  bool operator==(const RayProgramOptions&) const = default;
};

std::string RayVertexShader();
std::string RayFragmentShader(const RayProgramOptions& options);

}  // namespace lumetrix
