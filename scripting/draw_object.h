#pragma once
// "Draw": the script object of the viewer. Every member is callable bare (SetXRot 30) and
// qualified (Draw.SetXRot 30); arguments are converted as VBScript converts them.

#include <functional>
#include <string>
#include <vector>

#include "scripting/script_viewer.h"
#include "scripting/vbscript/host_object.h"

namespace lumetrix {

class DrawObject : public vbs::HostObject {
 public:
  // `run` is the script object's own RunVBScript: refused while a script runs.
  DrawObject(ScriptViewer& viewer, std::function<void()> run);

  std::vector<std::string> MemberNames() const override;
  vbs::Variant Invoke(int member, std::span<const vbs::Variant> args) override;
  std::string TypeName() const override { return "frm3D"; }

 private:
  ScriptViewer& viewer_;
  std::function<void()> run_;
};

}  // namespace lumetrix
