#pragma once
// What scripts drive: the operations of the viewer that the script object "Draw" offers. The
// main window implements it; tests use a fake viewer.

#include <cstdint>
#include <string>

namespace lumetrix {

class ScriptViewer {
 public:
  virtual ~ScriptViewer() = default;
  virtual void SetXRot(float angle) = 0;
  virtual void SetYRot(float angle) = 0;
  virtual void SetXYRot(float x, float y) = 0;
  virtual void SetXRotSpeed(float v) = 0;
  virtual void SetYRotSpeed(float v) = 0;
  virtual void Setx(float v) = 0;
  virtual void Sety(float v) = 0;
  virtual void SetZ(float v) = 0;
  virtual void SetScaleX(float v) = 0;
  virtual void SetScaleY(float v) = 0;
  virtual void SetScaleZ(float v) = 0;
  virtual void SetColor(float r, float g, float b) = 0;
  virtual void SetLight(float r, float g, float b) = 0;
  virtual void SetTransparency(float a) = 0;
  virtual void SetLightOn() = 0;
  virtual void SetLightOff() = 0;
  virtual void ResetParameters() = 0;
  virtual void ResetSpeedParameters() = 0;
  // One frame drawn and shown, then pending events.
  virtual void DrawImage() = 0;
  // Raise std::exception with a readable reason when the file cannot be written.
  virtual void SaveBMP(const std::string& fileName) = 0;
  virtual void SaveJPG(const std::string& fileName) = 0;
  virtual bool AVIStart(const std::string& fileName, double frameRate, int32_t width, int32_t height) = 0;
  virtual void AVIAdd() = 0;
  virtual void AVIend() = 0;
  virtual bool AVICodec(const std::string& name) = 0;
  virtual void SetPalette(const std::string& name) = 0;
  virtual void LoadLuts() = 0;

  // What the script host needs of the main window around a run.
  virtual bool VolumeLoaded() const = 0;
  // While set the viewer draws no frames of its own and keeps its projection on resizes.
  virtual void SetScriptRunning(bool running) = 0;
  virtual void SetWindowCaption(const std::string& caption) = 0;
  // "First open image", with OK and Cancel; the answer does not matter.
  virtual void RefuseRunWithoutVolume() = 0;
  virtual void Beep() = 0;
};

}  // namespace lumetrix
