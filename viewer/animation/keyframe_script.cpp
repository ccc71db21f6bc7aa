#include "viewer/animation/keyframe_script.h"

#include <charconv>

namespace lumetrix::animation {
namespace {

// The shortest text that reads back as the same double; for a Single, as the same Single
// ("0.4", not the double 0.4000000059604645 the Single holds), which is what the member keeps.
template <typename Real>
std::string Num(Real v) {
  char buffer[40];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
  return std::string(buffer, end);
}
// A change between two Singles: as a Single where it is one exactly (0.9 - 0.5 is), else in full.
std::string Step(double change) {
  const auto single = static_cast<float>(change);
  return static_cast<double>(single) == change ? Num(single) : Num(change);
}

std::string Quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// The script member that sets a numeric property, by the property's name.
struct Setter {
  const char* property;
  const char* member;
};
constexpr Setter kSetters[] = {
    {"XRot", "SetXRot"},     {"YRot", "SetYRot"},     {"PosX", "Setx"},          {"PosY", "Sety"},
    {"PosZ", "SetZ"},        {"ScaleX", "SetScaleX"}, {"ScaleY", "SetScaleY"},   {"ScaleZ", "SetScaleZ"},
    {"Color", "SetColor"},   {"LightColor", "SetLight"}, {"Transparency", "SetTransparency"},
    {"Crop", "SetCrop"},     {"ClipPlane", "SetClipPlane"}, {"Attenuation", "SetAttenuation"},
    {"Quality", "SetQuality"},
};

const char* MemberFor(const KeyProperty& p) {
  for (const Setter& s : kSetters)
    if (std::string_view(s.property) == p.Name) return s.member;
  return nullptr;
}

bool Is(const KeyProperty& p, std::string_view name) { return name == p.Name; }

// Sets every value of the keyframe; the palette only when it names one. Iso levels only where
// they differ from those of the keyframe `before` (all of them for the first keyframe).
std::string SetAll(const Keyframe& k, const Keyframe* before) {
  std::string out;
  for (const KeyProperty& p : KeyProperties()) {
    const float value = p.Get(k.View, 0);
    if (Is(p, "LightOn")) {
      out += value != 0 ? "  SetLightOn\n" : "  SetLightOff\n";
    } else if (Is(p, "RenderMode")) {
      out += "  SetRenderMode " + Quoted(p.Word(value)) + "\n";
    } else if (Is(p, "Projection")) {
      out += "  SetProjection " + Quoted(p.Word(value)) + "\n";
    } else if (Is(p, "ClipOn")) {
      if (value == 0) out += "  ClearClipPlane\n";
    } else if (Is(p, "ClipPlane") && !k.View.Clip.On) {
      // cleared above: its numbers only matter once it is on
    } else if (Is(p, "IsoLevel")) {
      for (int c = 0; c < p.Components; ++c)
        if (!before || p.Get(before->View, c) != p.Get(k.View, c))
          out += "  SetIsoLevel " + std::to_string(c + 1) + ", " + Num(p.Get(k.View, c)) + "\n";
    } else {
      out += std::string("  Call ") + MemberFor(p) + "(";
      for (int i = 0; i < p.Components; ++i) out += (i ? ", " : "") + Num(p.Get(k.View, i));
      out += ")\n";
    }
  }
  for (size_t c = 0; c < k.Channels.size(); ++c) {
    const ChannelKey& key = k.Channels[c];
    const std::string n = std::to_string(c + 1);
    if (key.Given & ChannelKey::kVisible) out += "  SetChannel " + n + (key.Visible ? ", True\n" : ", False\n");
    if (key.Given & ChannelKey::kColor)
      out += "  SetChannelColor " + n + ", " + Num(key.Color[0]) + ", " + Num(key.Color[1]) + ", " + Num(key.Color[2]) + "\n";
    if (key.Given & ChannelKey::kRange) out += "  SetDisplayRange " + n + ", " + Num(key.Min) + ", " + Num(key.Max) + "\n";
    if (key.Given & ChannelKey::kGamma) out += "  SetGamma " + n + ", " + Num(key.Gamma) + "\n";
  }
  if (k.TimePoint > 0) out += "  SetTimePoint " + std::to_string(k.TimePoint) + "\n";
  if (!k.Palette.empty()) out += "  SetPalette " + Quoted(k.Palette) + "\n";
  return out;
}

// "a + d * t" for a value going from a to b, as the movie computes it.
std::string Blend(double a, double b) { return Num(a) + " + " + Num(b - a) + " * t"; }

// The lines that change the channels and time point between keyframes a and b.
std::string ChannelBlendLines(const Keyframe& a, const Keyframe& b) {
  std::string out;
  for (size_t c = 0; c < a.Channels.size() && c < b.Channels.size(); ++c) {
    const ChannelKey &x = a.Channels[c], &y = b.Channels[c];
    const uint8_t both = x.Given & y.Given;
    const std::string n = std::to_string(c + 1);
    if ((both & ChannelKey::kColor) && x.Color != y.Color)
      out += "    SetChannelColor " + n + ", " + Blend(x.Color[0], y.Color[0]) + ", " + Blend(x.Color[1], y.Color[1]) +
             ", " + Blend(x.Color[2], y.Color[2]) + "\n";
    if ((both & ChannelKey::kRange) && (x.Min != y.Min || x.Max != y.Max))
      out += "    SetDisplayRange " + n + ", " + Blend(x.Min, y.Min) + ", " + Blend(x.Max, y.Max) + "\n";
    if ((both & ChannelKey::kGamma) && x.Gamma != y.Gamma) out += "    SetGamma " + n + ", " + Blend(x.Gamma, y.Gamma) + "\n";
  }
  if (a.TimePoint > 0 && b.TimePoint > 0 && a.TimePoint != b.TimePoint)
    out += "    SetTimePoint " + Blend(a.TimePoint, b.TimePoint) + "\n";
  return out;
}

std::string Frame(const std::string& indent) { return indent + "DrawImage\n" + indent + "AVIAdd\n"; }

}  // namespace

std::string KeyframeScript(const KeyframeTrack& track, const std::string& moviePath) {
  std::string s = "' A keyframe animation of " + std::to_string(track.FrameCount()) + " frames, written by the " +
                  "Animation window.\n' Running it records the movie named below.\nOption Explicit\n\n";
  s += "Const MovieFile = " + Quoted(moviePath) + "\n\n";
  s += "Sub Main\n  Dim f, t\n";
  s += "  If Not AVIStart(MovieFile, " + Num(track.Fps) + ", " + std::to_string(track.Width) + ", " +
       std::to_string(track.Height) + ") Then Exit Sub\n  ResetSpeedParameters\n";
  if (track.Keys.empty()) return s + "  AVIend\nEnd Sub\n";
  const Keyframe& first = track.Keys.front();
  s += SetAll(first, nullptr);
  if (first.Frame > 0) s += "  For f = 0 To " + std::to_string(first.Frame - 1) + "\n" + Frame("    ") + "  Next\n";
  for (size_t n = 0; n + 1 < track.Keys.size(); ++n) {
    const Keyframe& a = track.Keys[n];
    const Keyframe& b = track.Keys[n + 1];
    s += "  ' keyframe " + std::to_string(n + 1) + " to " + std::to_string(n + 2) + "\n";
    if (n > 0) s += SetAll(a, &track.Keys[n - 1]);
    s += "  For f = " + std::to_string(a.Frame) + " To " + std::to_string(b.Frame - 1) + "\n";
    s += "    t = (f - " + std::to_string(a.Frame) + ") / " + std::to_string(b.Frame - a.Frame) + "\n";
    if (b.Easing == Ease::InOut) s += "    t = t * t * (3 - 2 * t)\n";
    for (const KeyProperty& p : KeyProperties()) {
      if (p.Blending == Blend::Step || (Is(p, "ClipPlane") && !a.View.Clip.On)) continue;
      if (p.Blending == Blend::Level) {
        for (int c = 0; c < p.Components; ++c)
          if (Blends(p, c, a, b) && Change(p, c, a, b) != 0)
            s += "    SetIsoLevel " + std::to_string(c + 1) + ", " + Num(p.Get(a.View, c)) + " + " +
                 Step(Change(p, c, a, b)) + " * t\n";
        continue;
      }
      bool changes = false;
      for (int i = 0; i < p.Components; ++i) changes = changes || Change(p, i, a, b) != 0;
      if (!changes) continue;
      s += std::string("    Call ") + MemberFor(p) + "(";
      for (int i = 0; i < p.Components; ++i)
        s += (i ? ", " : "") + Num(p.Get(a.View, i)) + " + " + Step(Change(p, i, a, b)) + " * t";
      s += ")\n";
    }
    s += ChannelBlendLines(a, b) + Frame("    ") + "  Next\n";
  }
  const Keyframe* before = track.Keys.size() > 1 ? &track.Keys[track.Keys.size() - 2] : nullptr;
  s += SetAll(track.Keys.back(), before) + Frame("  ") + "  AVIend\nEnd Sub\n";
  return s;
}

}  // namespace lumetrix::animation
