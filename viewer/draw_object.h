#pragma once
// "Draw": the script object of the viewer. Every member is callable bare (SetXRot 30) and
// qualified (Draw.SetXRot 30); arguments are converted as VBScript converts them.

#include <memory>

#include "scripting/vbscript/host_object.h"

namespace lumetrix {

class Viewer;

std::shared_ptr<vbs::HostObject> MakeDrawObject(Viewer& viewer);

}  // namespace lumetrix
