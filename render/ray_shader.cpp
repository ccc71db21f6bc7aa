#include "render/ray_shader.h"

#include <string>

#include "render/ray_transfer.h"
#include "streaming/brick_grid.h"

namespace lumetrix {
namespace {

// Replaces every "#" in `text` by the channel number.
std::string ForChannel(const std::string& text, int c) {
  std::string out;
  for (char ch : text) {
    if (ch == '#')
      out += std::to_string(c);
    else
      out += ch;
  }
  return out;
}

// Voxels of the finest level -> the atlas: the page table's entry for the brick of the finest
// level holds the slot (x, y, z) and the level of the finest brick loaded over it; the sample
// lies where that level's voxels put it, one voxel of border in from the slot's corner. On the
// rays' lattice every step here is exact, so the atlas is filtered at the very fractions of a
// voxel the whole volume's texture would be.
std::string BrickLookup() {
  const std::string side = std::to_string(streaming::kBrickSide) + ".0";
  const std::string slot = std::to_string(streaming::kBrickSlot) + ".0";
  const std::string border = std::to_string(streaming::kBrickBorder) + ".0";
  return R"(uniform sampler3D u_pages;
uniform vec3 u_level0;     // voxels of the finest level per axis
uniform vec3 u_pages_n;    // the page table's entries per axis
uniform vec3 u_atlas;      // atlas texels per axis
uniform vec3 u_factor[16]; // per level: voxels of the finest level one of its voxels spans
vec3 Atlas(vec3 v, out vec4 e) {
  v = clamp(v, vec3(0.0), u_level0);
  vec3 b = min(floor(v / )" + side + R"(), u_pages_n - 1.0);
  e = floor(texture3D(u_pages, (b + 0.5) / u_pages_n) * 255.0 + 0.5);
  vec3 f = u_factor[int(e.a)];
  vec3 local = v / f - floor(b / f) * )" + side + R"(;
  return (e.rgb * )" + slot + " + " + border + R"( + local) / u_atlas;
}
// How many of the samples after p, one `next` apart, stay inside p's brick of the finest level
// and the voxels kept (none when p lies outside them).
int EmptyRun(vec3 p, vec3 next) {
  vec3 cell = floor(p / )" + side + R"() * )" + side + R"(;
  vec3 lo = max(cell, u_kept_lo), hi = min(cell + )" + side + R"(, u_kept_hi);
  if (any(lessThan(p, lo)) || any(greaterThanEqual(p, hi))) return 0;
  vec3 t = vec3(1e30);
  for (int a = 0; a < 3; ++a) {
    if (next[a] > 0.0) t[a] = (hi[a] - p[a]) / next[a];
    else if (next[a] < 0.0) t[a] = (lo[a] - p[a]) / next[a];
  }
  return max(int(ceil(min(t.x, min(t.y, t.z)))) - 1, 0);
}
)";
}

}  // namespace

std::string RayVertexShader() {
  return R"(#version 120
varying vec3 v_pos;
void main() {
  v_pos = gl_Vertex.xyz;
  gl_Position = ftransform();
}
)";
}

std::string RayFragmentShader(const RayProgramOptions& options) {
  const int channels = options.Channels;
  std::string s = R"(#version 120
varying vec3 v_pos;
uniform int u_mode;
uniform bool u_ortho;
uniform vec3 u_eye;        // the eye in model space (perspective)
uniform vec3 u_dir;        // the viewing direction in model space (orthographic)
uniform vec3 u_box_min, u_box_max;  // the crop box in model space
uniform vec3 u_tex_scale, u_tex_offset;  // model space -> texture coordinates
uniform vec3 u_grid;       // voxels per unit of texture coordinates (the finest level's when bricked)
uniform vec3 u_lattice;    // lattice points per voxel of u_grid along which the samples lie
uniform vec3 u_kept_lo, u_kept_hi;  // the centres of the first and last voxels kept, in those voxels
uniform vec3 u_texel;      // one voxel in texture coordinates
uniform bool u_clip;
uniform vec4 u_plane;      // kept where dot(plane.xyz, p) <= plane.w (model space)
uniform vec4 u_plane_vox;  // the same plane in voxels of the file (centres at whole numbers)
uniform vec3 u_full;       // voxels of the file per axis
uniform vec3 u_texels;     // texels per axis
uniform vec3 u_vox;       // voxels of the file per model unit, per axis
uniform float u_quality;   // the step in voxels
uniform float u_alpha;     // the transparency
uniform float u_atten;     // attenuation per voxel of level
uniform bool u_light_on;
uniform vec3 u_ambient;
uniform vec3 u_colour;     // the view's colour
uniform sampler1D u_palette;
uniform sampler2D u_transfer;  // per channel a row of (level, opacity of a step) by stored value
)";
  for (int c = 0; c < channels; ++c)
    s += ForChannel(R"(uniform sampler3D u_vol#;
uniform vec4 u_look#;   // min, max (0..1 of the stored range), gamma, visible
uniform vec3 u_rgb#;
uniform float u_iso#;
uniform vec2 u_entry#;  // stored value (0..1) -> the transfer table's column: value * x + y
)", c);
  s += R"(
float Level(float raw, vec4 look) {
  return pow(clamp((raw - look.x) / max(look.y - look.x, 1e-9), 0.0, 1.0), look.z);
}
)";
  if (options.Palette)
    s += "vec3 Tint0(float level) { return texture1D(u_palette, (floor(level * 255.0 + 0.5) + 0.5) / 256.0).rgb; }\n";
  else
    s += "vec3 Tint0(float level) { return u_rgb0 * level; }\n";
  for (int c = 1; c < channels; ++c) s += ForChannel("vec3 Tint#(float level) { return u_rgb# * level; }\n", c);
  // Values beyond the display range fall beyond the table, where its edge entries are read. Row
  // # holds the tint times the opacity of a step and that opacity, row channels + # the level.
  const std::string rows = std::to_string(2 * channels) + ".0";
  for (int c = 0; c < channels; ++c)
    s += ForChannel("vec4 Transfer#(float raw) { return texture2D(u_transfer, vec2(raw * u_entry#.x + u_entry#.y, (#.5) / " +
                        rows + ")); }\n" + "float LevelOf#(float raw) { return texture2D(u_transfer, vec2(raw * u_entry#.x + u_entry#.y, (" +
                        std::to_string(channels) + ".5 + #.0) / " + rows + ")).r; }\n",
                    c);
  // Near the clipping plane the voxels beyond it count as empty: the eight texels of a sample are
  // read one by one there, so that none of them bleeds into the picture through interpolation.
  // Without a plane the program reads one texel, not nine.
  if (options.Bricked) s += BrickLookup();
  if (!options.Clip || options.Bricked) {
    for (int c = 0; c < channels; ++c) s += ForChannel("float Fetch#(vec3 tc) { return texture3D(u_vol#, tc).r; }\n", c);
  } else {
    s += R"(
bool Cut(vec3 tc) { return dot(u_plane_vox.xyz, tc * u_full - 0.5) > u_plane_vox.w; }
)";
    for (int c = 0; c < channels; ++c)
      s += ForChannel(R"(float Tap#(vec3 i, float weight) {
  vec3 centre = (clamp(i, vec3(0.0), u_texels - 1.0) + 0.5) / u_texels;
  return Cut(centre) ? 0.0 : weight * texture3D(u_vol#, centre).r;
}
float Fetch#(vec3 tc) {
  if (dot(u_plane_vox.xyz, tc * u_full - 0.5) + dot(abs(u_plane_vox.xyz), u_full / u_texels) <= u_plane_vox.w)
    return texture3D(u_vol#, tc).r;
  vec3 t = tc * u_texels - 0.5, i = floor(t), w = t - i, v = vec3(1.0) - w;
  return Tap#(i, v.x * v.y * v.z) + Tap#(i + vec3(1.0, 0.0, 0.0), w.x * v.y * v.z) +
         Tap#(i + vec3(0.0, 1.0, 0.0), v.x * w.y * v.z) + Tap#(i + vec3(1.0, 1.0, 0.0), w.x * w.y * v.z) +
         Tap#(i + vec3(0.0, 0.0, 1.0), v.x * v.y * w.z) + Tap#(i + vec3(1.0, 0.0, 1.0), w.x * v.y * w.z) +
         Tap#(i + vec3(0.0, 1.0, 1.0), v.x * w.y * w.z) + Tap#(i + vec3(1.0, 1.0, 1.0), w.x * w.y * w.z);
}
)", c);
  }
  s += R"(
vec3 Shade(vec3 colour, sampler3D vol, vec3 tc, vec3 dir) {
  if (!u_light_on) return colour;
  vec3 g = vec3(texture3D(vol, tc + vec3(u_texel.x, 0.0, 0.0)).r - texture3D(vol, tc - vec3(u_texel.x, 0.0, 0.0)).r,
                texture3D(vol, tc + vec3(0.0, u_texel.y, 0.0)).r - texture3D(vol, tc - vec3(0.0, u_texel.y, 0.0)).r,
                texture3D(vol, tc + vec3(0.0, 0.0, u_texel.z)).r - texture3D(vol, tc - vec3(0.0, 0.0, u_texel.z)).r);
  g *= u_tex_scale;  // back into model space (the texture runs against y and z)
  float diffuse = length(g) > 1e-9 ? abs(dot(normalize(g), dir)) : 1.0;
  return colour * (u_ambient + (vec3(1.0) - u_ambient) * diffuse);
}

vec3 Lattice(vec3 v) { return floor(v * u_lattice + 0.5) / u_lattice; }

void main() {
  vec3 dir = u_ortho ? normalize(u_dir) : normalize(v_pos - u_eye);
  vec3 origin = u_ortho ? v_pos - dir * 16.0 : u_eye;
  vec3 safe = vec3(abs(dir.x) < 1e-12 ? 1e-12 : dir.x, abs(dir.y) < 1e-12 ? 1e-12 : dir.y,
                   abs(dir.z) < 1e-12 ? 1e-12 : dir.z);
  vec3 t0 = (u_box_min - origin) / safe, t1 = (u_box_max - origin) / safe;
  vec3 lo = min(t0, t1), hi = max(t0, t1);
  float tn = max(max(lo.x, lo.y), lo.z), tf = min(min(hi.x, hi.y), hi.z);
  if (!u_ortho) tn = max(tn, 0.0);
  if (u_clip) {
    float nd = dot(u_plane.xyz, dir), no = dot(u_plane.xyz, origin);
    if (abs(nd) < 1e-12) {
      if (no > u_plane.w) discard;
    } else if (nd > 0.0) {
      tf = min(tf, (u_plane.w - no) / nd);
    } else {
      tn = max(tn, (u_plane.w - no) / nd);
    }
  }
  if (tf <= tn) discard;
  // The step is u_quality voxels measured along the ray in the voxel grid, whatever the direction
  // and the voxels' proportions: a ray along thick z voxels takes fewer samples than along x.
  float step = u_quality / length(dir * u_vox);
  int n = int(ceil((tf - tn) / step));
  // Samples in voxels, the first half a step in, then one step apart, on a lattice of 1/1024 of a
  // voxel (of the finest level drawn when bricked), where their sums are exact below 16384 voxels
  // a side: a sample falls on the same fraction of a voxel whether the whole volume or the bricks'
  // atlas is read.
  vec3 first = Lattice(((origin + (tn + 0.5 * step) * dir) * u_tex_scale + u_tex_offset) * u_grid),
       next = Lattice(step * dir * u_tex_scale * u_grid);
)";
  for (int c = 0; c < channels; ++c)
    s += ForChannel(R"(  vec3 rgb# = vec3(0.0); float a# = 0.0; float best# = u_mode == 3 ? 1.0 : 0.0; float sum# = 0.0;
  bool hit# = u_look#.w < 0.5; bool found# = false; vec3 at# = vec3(0.0);
)", c);
  // One loop per mode: a driver that runs both sides of a branch under a mask (Mesa's llvmpipe)
  // would otherwise pay for every mode's work at every sample, the iso mode's six-sample gradient
  // among them. The iso surface is shaded once, after its loop, where the ray met it.
  struct ModeLoop {
    int mode;
    const char* body;  // per channel, after `raw` is read
    bool stops;        // the ray ends once every channel is done (hit#)
    // When samples of zero leave the ray as it is (empty bricks are skipped): "" never.
    std::string zeros_add_nothing;
  };
  // The iso surface is never found in zeros when every channel's level lies above 0.
  std::string zero_not_found = "true";
  for (int c = 0; c < channels; ++c) zero_not_found += ForChannel(" && u_iso# > 0.0", c);
  const ModeLoop loops[] = {
      {kRayComposite, R"(vec4 seen = Transfer#(raw);
        rgb# += (1.0 - a#) * seen.rgb;
        a# += (1.0 - a#) * seen.a;
        hit# = a# > 0.996;)", true, "true"},
      {kRayMip, "best# = max(best#, raw);", false, "true"},
      {kRayAttenuated, R"(float level = LevelOf#(raw);
        best# = max(best#, level * exp(-u_atten * sum#));
        sum# += level * u_quality;)", false, "true"},
      {kRayMinIp, "best# = min(best#, raw);", false, ""},
      {kRayIso, R"(if (raw >= u_iso#) {
          at# = tc;
          found# = true;
          hit# = true;
        })", true, zero_not_found},
  };
  for (const ModeLoop& loop : loops) {
    s += loop.mode == kRayComposite ? "  if" : " else if";
    s += " (u_mode == " + std::to_string(loop.mode) + R"() {
    vec3 p = first;
    for (int k = 0; k < n; ++k) {
)";
    // Uncropped, the texture's wrap at its edge texels does what the clamp here would.
    const std::string at = options.Crop ? "clamp(p, u_kept_lo, u_kept_hi)" : "p";
    s += options.Bricked ? "      vec4 page;\n      vec3 tc = Atlas(" + at + ", page);\n"
                         : "      vec3 tc = " + at + " / u_grid;\n";
    // One channel needs no per-channel test: its ray ends where it is done.
    if (loop.stops && channels > 1) s += "      bool done = true;\n";
    // Modes that read every sample need no per-channel test either: an invisible channel is left
    // out of the sum at the end.
    for (int c = 0; c < channels; ++c) {
      if (loop.stops && channels > 1)
        s += ForChannel(std::string(R"(      if (!hit#) {
        float raw = Fetch#(tc);
        )") + loop.body + "\n        done = done && hit#;\n      }\n", c);
      else
        s += ForChannel(std::string("      {\n        float raw = Fetch#(tc);\n        ") + loop.body + "\n      }\n", c);
    }
    // A brick drawn from the empty slot (its samples zeros, or all below what adds anything to
    // this frame) adds nothing until the ray leaves it; the skipped samples' sum of steps is exact
    // on the lattice, so the samples after it stay put.
    if (options.Bricked && !loop.zeros_add_nothing.empty())
      s += "      if (page.r + page.g + page.b == 0.0 && " + loop.zeros_add_nothing + R"() {
        int m = min(EmptyRun(p, next), n - 1 - k);
        k += m;
        p += float(m) * next;
      }
)";
    s += "      p += next;\n";
    // A finished ray leaves through the loop's own test: on Mesa's llvmpipe a `break` here made
    // the composite frame a quarter slower.
    if (loop.stops) s += channels > 1 ? "      if (done) k = n;\n" : "      if (hit0) k = n;\n";
    s += "    }\n  }";
  }
  s += "\n";
  // Mip and minip keep the extreme stored value: Level never falls as the value rises, so the
  // extreme value's level is the extreme level, and one Level per ray does.
  for (int c = 0; c < channels; ++c)
    s += ForChannel(R"(  if (found#) rgb# = Shade(Tint#(1.0), u_vol#, at#, dir);
  if (u_mode == 1 || u_mode == 3) best# = Level(best#, u_look#);
)", c);
  s += R"(  vec3 sum = vec3(0.0);
)";
  for (int c = 0; c < channels; ++c)
    s += ForChannel(R"(  if (u_look#.w >= 0.5) sum += (u_mode == 0 || u_mode == 4) ? rgb# : Tint#(best#);
)", c);
  s += R"(  gl_FragColor = vec4(clamp(sum * u_colour, 0.0, 1.0), 1.0);
}
)";
  return s;
}

}  // namespace lumetrix
