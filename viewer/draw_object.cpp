#include "viewer/draw_object.h"

#include <exception>
#include <span>

#include "core/view_value.h"
#include "scripting/vbscript/errors.h"
#include "viewer/viewer.h"

namespace lumetrix {
namespace {

using Args = std::span<const vbs::Variant>;
const vbs::Variant kNothing;

float S(const vbs::Variant& v) { return vbs::ToSingle(v); }
int32_t L(const vbs::Variant& v) { return vbs::ToLong(v); }
double D(const vbs::Variant& v) { return vbs::ToDouble(v); }
std::string Text(const vbs::Variant& v) { return vbs::ToString(v); }

struct Member {
  const char* name;
  size_t arguments;
  vbs::Variant (*call)(Viewer&, Args);
};

// The script object model: one line per member.
const Member kMembers[] = {
    {"SetXRot", 1, [](Viewer& v, Args a) { v.SetXRot(S(a[0])); return kNothing; }},
    {"SetYRot", 1, [](Viewer& v, Args a) { v.SetYRot(S(a[0])); return kNothing; }},
    {"SetXYRot", 2, [](Viewer& v, Args a) { v.SetXYRot(S(a[0]), S(a[1])); return kNothing; }},
    {"SetXRotSpeed", 1, [](Viewer& v, Args a) { v.SetXRotSpeed(S(a[0])); return kNothing; }},
    {"SetYRotSpeed", 1, [](Viewer& v, Args a) { v.SetYRotSpeed(S(a[0])); return kNothing; }},
    {"Setx", 1, [](Viewer& v, Args a) { v.Setx(S(a[0])); return kNothing; }},
    {"Sety", 1, [](Viewer& v, Args a) { v.Sety(S(a[0])); return kNothing; }},
    {"SetZ", 1, [](Viewer& v, Args a) { v.SetZ(S(a[0])); return kNothing; }},
    {"SetScaleX", 1, [](Viewer& v, Args a) { v.SetScaleX(S(a[0])); return kNothing; }},
    {"SetScaleY", 1, [](Viewer& v, Args a) { v.SetScaleY(S(a[0])); return kNothing; }},
    {"SetScaleZ", 1, [](Viewer& v, Args a) { v.SetScaleZ(S(a[0])); return kNothing; }},
    {"SetColor", 3, [](Viewer& v, Args a) { v.SetColor(S(a[0]), S(a[1]), S(a[2])); return kNothing; }},
    {"SetLight", 3, [](Viewer& v, Args a) { v.SetLight(S(a[0]), S(a[1]), S(a[2])); return kNothing; }},
    {"SetTransparency", 1, [](Viewer& v, Args a) { v.SetTransparency(S(a[0])); return kNothing; }},
    {"SetRenderMode", 1, [](Viewer& v, Args a) {
       std::string why;
       if (!v.SetRenderMode(Text(a[0]), why)) throw vbs::ScriptError(5, "Invalid procedure call or argument: " + why);
       return kNothing;
     }},
    {"SetIsoLevel", 2, [](Viewer& v, Args a) { v.SetIsoLevel(L(a[0]), D(a[1])); return kNothing; }},
    {"SetAttenuation", 1, [](Viewer& v, Args a) { v.SetAttenuation(D(a[0])); return kNothing; }},
    {"SetCrop", 6, [](Viewer& v, Args a) {
       v.SetCrop({D(a[0]), D(a[1]), D(a[2]), D(a[3]), D(a[4]), D(a[5])});
       return kNothing;
     }},
    {"SetClipPlane", 4, [](Viewer& v, Args a) { v.SetClipPlane(D(a[0]), D(a[1]), D(a[2]), D(a[3])); return kNothing; }},
    {"ClearClipPlane", 0, [](Viewer& v, Args) { v.ClearClipPlane(); return kNothing; }},
    {"SetProjection", 1, [](Viewer& v, Args a) { v.SetProjection(Text(a[0])); return kNothing; }},
    {"SetQuality", 1, [](Viewer& v, Args a) { v.SetQuality(D(a[0])); return kNothing; }},
    {"SetScaleBar", 1, [](Viewer& v, Args a) { v.SetScaleBar(vbs::ToBool(a[0])); return kNothing; }},
    {"SetAxes", 1, [](Viewer& v, Args a) { v.SetAxes(vbs::ToBool(a[0])); return kNothing; }},
    // Channels and time points count from 1.
    {"SetChannel", 2, [](Viewer& v, Args a) { v.SetChannel(L(a[0]), vbs::ToBool(a[1])); return kNothing; }},
    {"SetChannelColor", 4, [](Viewer& v, Args a) { v.SetChannelColor(L(a[0]), L(a[1]), L(a[2]), L(a[3])); return kNothing; }},
    {"SetDisplayRange", 3, [](Viewer& v, Args a) { v.SetDisplayRange(L(a[0]), D(a[1]), D(a[2])); return kNothing; }},
    {"SetGamma", 2, [](Viewer& v, Args a) { v.SetGamma(L(a[0]), D(a[1])); return kNothing; }},
    {"AutoContrast", 1, [](Viewer& v, Args a) { v.AutoContrast(L(a[0])); return kNothing; }},
    {"SetTimePoint", 1, [](Viewer& v, Args a) { v.SetTimePoint(L(a[0])); return kNothing; }},
    {"ChannelCount", 0, [](Viewer& v, Args) { return vbs::Variant(v.ChannelCount()); }},
    {"TimePointCount", 0, [](Viewer& v, Args) { return vbs::Variant(v.TimePointCount()); }},
    {"SetLightOn", 0, [](Viewer& v, Args) { v.SetLightOn(); return kNothing; }},
    {"SetLightOff", 0, [](Viewer& v, Args) { v.SetLightOff(); return kNothing; }},
    {"ResetParameters", 0, [](Viewer& v, Args) { v.ResetParameters(); return kNothing; }},
    {"ResetSpeedParameters", 0, [](Viewer& v, Args) { v.ResetSpeedParameters(); return kNothing; }},
    {"DrawImage", 0, [](Viewer& v, Args) { v.DrawImage(); return kNothing; }},
    {"SaveBMP", 1, [](Viewer& v, Args a) { v.SaveBMP(Text(a[0])); return kNothing; }},
    {"SaveJPG", 1, [](Viewer& v, Args a) { v.SaveJPG(Text(a[0])); return kNothing; }},
    // The frame rate is a whole number of frames per second.
    {"AVIStart", 4, [](Viewer& v, Args a) {
       return vbs::Variant(v.AVIStart(Text(a[0]), vbs::ToLong(a[1]), vbs::ToLong(a[2]), vbs::ToLong(a[3])));
     }},
    {"AVIAdd", 0, [](Viewer& v, Args) {
       v.AVIAdd();
       if (!v.VolumeShown()) throw vbs::ScriptError(5, "First open image");
       return kNothing;
     }},
    // True when the volume is shown; otherwise False, and the reason goes to the output pane.
    {"OpenImage", 1, [](Viewer& v, Args a) {
       std::string reason;
       const bool opened = v.OpenImage(Text(a[0]), reason);
       if (!opened) v.ScriptReport("OpenImage: " + reason);
       return vbs::Variant(opened);
     }},
    {"AVIend", 0, [](Viewer& v, Args) { v.AVIend(); return kNothing; }},
    {"AVICodec", 1, [](Viewer& v, Args a) { return vbs::Variant(v.AVICodec(Text(a[0]))); }},
    {"SetPalette", 1, [](Viewer& v, Args a) { v.SetPalette(Text(a[0])); return kNothing; }},
    {"LoadLuts", 0, [](Viewer& v, Args) { v.LoadLuts(); return kNothing; }},
    // Scripts call it while they run: refused, one run at a time.
    {"RunVBScript", 0, [](Viewer& v, Args) {
       if (v.ScriptRunning()) throw vbs::ScriptError(5, "A script is already running");
       v.RunVBScript();
       return kNothing;
     }},
};

class DrawObject : public vbs::HostObject {
 public:
  explicit DrawObject(Viewer& viewer) : viewer_(viewer) {}

  std::vector<std::string> MemberNames() const override {
    std::vector<std::string> names;
    for (const Member& m : kMembers) names.emplace_back(m.name);
    return names;
  }

  vbs::Variant Invoke(int member, Args args) override {
    if (member < 0 || member >= static_cast<int>(std::size(kMembers)))
      throw vbs::ScriptError(438, "Object doesn't support this property or method");
    const Member& m = kMembers[member];
    if (args.size() != m.arguments) throw vbs::ScriptError(450, "Wrong number of arguments or invalid property assignment");
    try {
      return m.call(viewer_, args);
    } catch (const vbs::ScriptError&) {
      throw;
    } catch (const InvalidViewValue& e) {
      throw vbs::ScriptError(5, std::string("Invalid procedure call or argument: ") + e.what());
    } catch (const std::exception& e) {
      // A frame or movie that cannot be written.
      throw vbs::ScriptError(75, std::string("Path/File access error: ") + e.what());
    }
  }

  std::string TypeName() const override { return "frm3D"; }

 private:
  Viewer& viewer_;
};

}  // namespace

std::shared_ptr<vbs::HostObject> MakeDrawObject(Viewer& viewer) { return std::make_shared<DrawObject>(viewer); }

}  // namespace lumetrix
