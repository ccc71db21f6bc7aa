#pragma once
// What the script host needs around a run, beside the script object "Draw" and the console:
// whether a volume is shown, the running flag, the main window's caption, the refusal without a
// volume, and the error beep. The viewer implements it; tests use a fake.

#include <string>

namespace lumetrix {

class ScriptRunSite {
 public:
  virtual ~ScriptRunSite() = default;
  virtual bool VolumeLoaded() const = 0;
  // While set the viewer draws no frames of its own and keeps its projection on resizes.
  virtual void SetScriptRunning(bool running) = 0;
  virtual void SetWindowCaption(const std::string& caption) = 0;
  // "First open image", with OK and Cancel; the answer does not matter.
  virtual void RefuseRunWithoutVolume() = 0;
  virtual void Beep() = 0;
};

}  // namespace lumetrix
