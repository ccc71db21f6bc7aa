#include "viewer/animation/keyframe_properties.h"

#include "core/view_value.h"
#include "viewer/render_options.h"

namespace lumetrix::animation {
namespace {

#define LUMETRIX_SCALAR(field, blend)                                          \
  KeyProperty {                                                                \
    #field, 1, blend, [](const ViewState& v, int) { return v.field; },         \
        [](ViewState& v, int, float x) { v.field = x; }                        \
  }
#define LUMETRIX_TRIPLE(field)                                                 \
  KeyProperty {                                                                \
    #field, 3, Blend::Linear, [](const ViewState& v, int i) { return v.field[i]; }, \
        [](ViewState& v, int i, float x) { v.field[i] = x; }                   \
  }

float ModeValue(const std::string& word) {
  const std::optional<RenderMode> mode = ParseRenderMode(word);
  if (!mode) throw InvalidViewValue(kRenderModeWords);
  return static_cast<float>(*mode);
}

const KeyProperty kProperties[] = {
    LUMETRIX_SCALAR(XRot, Blend::Angle),
    LUMETRIX_SCALAR(YRot, Blend::Angle),
    LUMETRIX_SCALAR(PosX, Blend::Linear),
    LUMETRIX_SCALAR(PosY, Blend::Linear),
    LUMETRIX_SCALAR(PosZ, Blend::Linear),
    LUMETRIX_SCALAR(ScaleX, Blend::Linear),
    LUMETRIX_SCALAR(ScaleY, Blend::Linear),
    LUMETRIX_SCALAR(ScaleZ, Blend::Linear),
    LUMETRIX_TRIPLE(Color),
    LUMETRIX_TRIPLE(LightColor),  // its alpha is no script's to set, so it is not animated
    LUMETRIX_SCALAR(Transparency, Blend::Linear),
    KeyProperty{"LightOn", 1, Blend::Step, [](const ViewState& v, int) { return v.LightOn ? 1.0f : 0.0f; },
                [](ViewState& v, int, float x) { v.LightOn = x != 0; }, KeyText::Flag},
    // Older files say "MaxProjection" instead (keyframe_file.cpp reads it).
    KeyProperty{.Name = "RenderMode", .Components = 1, .Blending = Blend::Step,
                .Get = [](const ViewState& v, int) { return static_cast<float>(v.Mode); },
                .Set = [](ViewState& v, int, float x) { v.Mode = static_cast<RenderMode>(static_cast<int>(x)); },
                .Text = KeyText::Word,
                .Word = [](float x) { return RenderModeName(static_cast<RenderMode>(static_cast<int>(x))); },
                .FromWord = ModeValue},
    KeyProperty{.Name = "Projection", .Components = 1, .Blending = Blend::Step,
                .Get = [](const ViewState& v, int) { return static_cast<float>(v.Proj); },
                .Set = [](ViewState& v, int, float x) { v.Proj = static_cast<Projection>(static_cast<int>(x)); },
                .Text = KeyText::Word,
                .Word = [](float x) { return ProjectionName(static_cast<Projection>(static_cast<int>(x))); },
                .FromWord = [](const std::string& w) { return static_cast<float>(ParseProjection(w)); }},
    KeyProperty{.Name = "Crop", .Components = 6, .Blending = Blend::Linear,
                .Get = [](const ViewState& v, int i) { return v.Crop.Limits[static_cast<size_t>(i)]; },
                .Set = [](ViewState& v, int i, float x) { v.Crop.Limits[static_cast<size_t>(i)] = x; },
                .Limit = kCropToEnd,
                .Check = [](const ViewState& v) {
                  const auto& L = v.Crop.Limits;
                  CheckedCrop({L[0], L[1], L[2], L[3], L[4], L[5]});
                },
                .Form = "[x0, x1, y0, y1, z0, z1], voxels from 0 up to 1e9"},
    KeyProperty{"ClipOn", 1, Blend::Step, [](const ViewState& v, int) { return v.Clip.On ? 1.0f : 0.0f; },
                [](ViewState& v, int, float x) { v.Clip.On = x != 0; }, KeyText::Flag},
    KeyProperty{.Name = "ClipPlane", .Components = 4, .Blending = Blend::Linear,
                .Get = [](const ViewState& v, int i) { return v.Clip.Plane[static_cast<size_t>(i)]; },
                .Set = [](ViewState& v, int i, float x) { v.Clip.Plane[static_cast<size_t>(i)] = x; },
                .Check = [](const ViewState& v) {
                  const auto& P = v.Clip.Plane;
                  CheckedClipPlane(P[0], P[1], P[2], P[3]);
                },
                .Form = "[nx, ny, nz, d], finite numbers within +-1e6"},
    KeyProperty{.Name = "Attenuation", .Components = 1, .Blending = Blend::Linear,
                .Get = [](const ViewState& v, int) { return v.Attenuation; },
                .Set = [](ViewState& v, int, float x) { v.Attenuation = x; },
                .Check = [](const ViewState& v) { CheckedAttenuation(v.Attenuation); }},
    KeyProperty{.Name = "Quality", .Components = 1, .Blending = Blend::Linear,
                .Get = [](const ViewState& v, int) { return v.Quality; },
                .Set = [](ViewState& v, int, float x) { v.Quality = x; },
                .Check = [](const ViewState& v) { CheckedQuality(v.Quality); }},
    KeyProperty{.Name = "IsoLevel", .Components = kIsoChannels, .Blending = Blend::Level,
                .Get = [](const ViewState& v, int i) { return v.IsoLevel[static_cast<size_t>(i)]; },
                .Set = [](ViewState& v, int i, float x) { v.IsoLevel[static_cast<size_t>(i)] = x; },
                .Check = [](const ViewState& v) {
                  for (float level : v.IsoLevel) CheckedIsoLevel(level);
                },
                .Partial = true,
                .Form = "[level of channel 1, of channel 2, ...], up to 8 stored values from 0 up (-1: the middle "
                        "of the display range)"},
};

#undef LUMETRIX_SCALAR
#undef LUMETRIX_TRIPLE

}  // namespace

std::span<const KeyProperty> KeyProperties() { return kProperties; }

const KeyProperty* FindKeyProperty(std::string_view name) {
  for (const KeyProperty& p : kProperties)
    if (name == p.Name) return &p;
  return nullptr;
}

}  // namespace lumetrix::animation
