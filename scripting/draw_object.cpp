#include "scripting/draw_object.h"

#include <exception>

#include "scripting/vbscript/errors.h"

namespace lumetrix {
namespace {

// The members in the order of MemberNames().
enum Member {
  kSetXRot, kSetYRot, kSetXYRot, kSetXRotSpeed, kSetYRotSpeed, kSetx, kSety, kSetZ, kSetScaleX, kSetScaleY,
  kSetScaleZ, kSetColor, kSetLight, kSetTransparency, kSetLightOn, kSetLightOff, kResetParameters,
  kResetSpeedParameters, kDrawImage, kSaveBMP, kSaveJPG, kAVIStart, kAVIAdd, kAVIend, kAVICodec, kSetPalette,
  kLoadLuts, kRunVBScript, kMemberCount
};

const char* const kNames[kMemberCount] = {
    "SetXRot", "SetYRot", "SetXYRot", "SetXRotSpeed", "SetYRotSpeed", "Setx", "Sety", "SetZ", "SetScaleX",
    "SetScaleY", "SetScaleZ", "SetColor", "SetLight", "SetTransparency", "SetLightOn", "SetLightOff",
    "ResetParameters", "ResetSpeedParameters", "DrawImage", "SaveBMP", "SaveJPG", "AVIStart", "AVIAdd", "AVIend",
    "AVICodec", "SetPalette", "LoadLuts", "RunVBScript"};

void Arguments(std::span<const vbs::Variant> args, size_t count) {
  if (args.size() != count) throw vbs::ScriptError(450, "Wrong number of arguments or invalid property assignment");
}

// A viewer operation that failed on the file system becomes a run-time error of the script.
template <typename F>
void FileOperation(F f) {
  try {
    f();
  } catch (const vbs::ScriptError&) {
    throw;
  } catch (const std::exception& e) {
    throw vbs::ScriptError(75, std::string("Path/File access error: ") + e.what());
  }
}

}  // namespace

DrawObject::DrawObject(ScriptViewer& viewer, std::function<void()> run) : viewer_(viewer), run_(std::move(run)) {}

std::vector<std::string> DrawObject::MemberNames() const { return {std::begin(kNames), std::end(kNames)}; }

vbs::Variant DrawObject::Invoke(int member, std::span<const vbs::Variant> a) {
  using vbs::ToSingle;
  auto one = [&] {
    Arguments(a, 1);
    return ToSingle(a[0]);
  };
  switch (member) {
    case kSetXRot: viewer_.SetXRot(one()); break;
    case kSetYRot: viewer_.SetYRot(one()); break;
    case kSetXYRot: Arguments(a, 2); viewer_.SetXYRot(ToSingle(a[0]), ToSingle(a[1])); break;
    case kSetXRotSpeed: viewer_.SetXRotSpeed(one()); break;
    case kSetYRotSpeed: viewer_.SetYRotSpeed(one()); break;
    case kSetx: viewer_.Setx(one()); break;
    case kSety: viewer_.Sety(one()); break;
    case kSetZ: viewer_.SetZ(one()); break;
    case kSetScaleX: viewer_.SetScaleX(one()); break;
    case kSetScaleY: viewer_.SetScaleY(one()); break;
    case kSetScaleZ: viewer_.SetScaleZ(one()); break;
    case kSetColor: Arguments(a, 3); viewer_.SetColor(ToSingle(a[0]), ToSingle(a[1]), ToSingle(a[2])); break;
    case kSetLight: Arguments(a, 3); viewer_.SetLight(ToSingle(a[0]), ToSingle(a[1]), ToSingle(a[2])); break;
    case kSetTransparency: viewer_.SetTransparency(one()); break;
    case kSetLightOn: Arguments(a, 0); viewer_.SetLightOn(); break;
    case kSetLightOff: Arguments(a, 0); viewer_.SetLightOff(); break;
    case kResetParameters: Arguments(a, 0); viewer_.ResetParameters(); break;
    case kResetSpeedParameters: Arguments(a, 0); viewer_.ResetSpeedParameters(); break;
    case kDrawImage: Arguments(a, 0); viewer_.DrawImage(); break;
    case kSaveBMP: {
      Arguments(a, 1);
      const std::string name = vbs::ToString(a[0]);
      FileOperation([&] { viewer_.SaveBMP(name); });
      break;
    }
    case kSaveJPG: {
      Arguments(a, 1);
      const std::string name = vbs::ToString(a[0]);
      FileOperation([&] { viewer_.SaveJPG(name); });
      break;
    }
    case kAVIStart: {
      Arguments(a, 4);
      const std::string name = vbs::ToString(a[0]);
      const double rate = vbs::ToLong(a[1]);  // a whole number of frames per second
      const int32_t width = vbs::ToLong(a[2]), height = vbs::ToLong(a[3]);
      bool started = false;
      FileOperation([&] { started = viewer_.AVIStart(name, rate, width, height); });
      return vbs::Variant(started);
    }
    case kAVIAdd: Arguments(a, 0); FileOperation([&] { viewer_.AVIAdd(); }); break;
    case kAVIend: Arguments(a, 0); viewer_.AVIend(); break;
    case kAVICodec: Arguments(a, 1); return vbs::Variant(viewer_.AVICodec(vbs::ToString(a[0])));
    case kSetPalette: Arguments(a, 1); viewer_.SetPalette(vbs::ToString(a[0])); break;
    case kLoadLuts: Arguments(a, 0); viewer_.LoadLuts(); break;
    case kRunVBScript: Arguments(a, 0); run_(); break;
    default: throw vbs::ScriptError(438, "Object doesn't support this property or method");
  }
  return {};
}

}  // namespace lumetrix
