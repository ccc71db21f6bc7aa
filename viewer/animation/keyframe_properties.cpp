#include "viewer/animation/keyframe_properties.h"

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
                [](ViewState& v, int, float x) { v.LightOn = x != 0; }},
    // True: maximum intensity projection; false: the slices add
    KeyProperty{"MaxProjection", 1, Blend::Step, [](const ViewState& v, int) { return v.Mode == RenderMode::Maximum ? 1.0f : 0.0f; },
                [](ViewState& v, int, float x) { v.Mode = x != 0 ? RenderMode::Maximum : RenderMode::Additive; }},
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
