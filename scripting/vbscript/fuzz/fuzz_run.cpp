// libFuzzer target: the whole engine through ScriptControl, the way the viewer uses it: a
// host object "Draw" whose members are callable bare, code added, then "Main" run. Runaway
// scripts end at a short timeout; every failure must be a described script error.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "vbscript/script_control.h"

using namespace lumetrix::vbs;

namespace {

class SilentUi : public UiHost {
 public:
  int MsgBox(const std::string&, int, const std::string&) override { return 1; }
  std::string InputBox(const std::string&, const std::string&, const std::string& defaultText) override {
    return defaultText;
  }
};

// Members like the viewer's: setters taking a Single, a getter, one that fails, a draw call.
class FuzzHost : public HostObject {
 public:
  std::vector<std::string> MemberNames() const override {
    return {"SetXRot", "GetXRot", "SaveBMP", "DrawImage", "Fail"};
  }
  Variant Invoke(int member, std::span<const Variant> args) override {
    switch (member) {
      case 0:
        if (args.size() != 1) throw ScriptError(err::WrongArgCount);
        rot_ = ToSingle(args[0]);
        return Variant();
      case 1: return Variant(rot_);
      case 2:
        if (args.size() != 1) throw ScriptError(err::WrongArgCount);
        return Variant(ToString(args[0]).size() < 200);
      case 3: return Variant();
      default: throw ScriptError(err::InvalidCall, "host failure");
    }
  }

 private:
  float rot_ = 0;
};

void CheckError(const ErrorInfo& e) {
  if (e.Number == 0) return;
  fuzz::Check(!e.Description.empty(), "error without a description", e.Number);
  fuzz::Check(e.Line >= 0 && e.Column >= 0, "negative error position", e.Line, e.Column);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentUi ui;
  std::string src(reinterpret_cast<const char*>(data), size);
  ScriptControl sc;
  sc.SetTimeout(200);
  sc.SetFileAccess(false);  // hostile scripts must not touch the machine's files
  sc.SetUiHost(&ui);
  sc.AddObject("Draw", std::make_shared<FuzzHost>(), true);
  if (sc.AddCode(src)) {
    sc.Run("Main");
    CheckError(sc.Error());
    sc.Eval("1 + 2");
  } else {
    CheckError(sc.Error());
    fuzz::Check(sc.Error().Number != 0, "AddCode failed without an error");
  }
  sc.Reset();
  return 0;
}
