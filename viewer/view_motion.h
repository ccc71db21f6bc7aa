#pragma once
// How finely a watched surface draws: coarser frames while the view moves (the ray caster takes a
// longer step), a full frame once it is still, and a full frame whenever one is read back. The
// viewer reports the motion; the surface asks before each frame. No clock: a pause after steps
// is reported as StepsEnded by whoever measures it (the window's timer, or a test).

namespace lumetrix {

enum class ViewMotion {
  Stepped,     // a drag step or a wheel notch moved the view
  StepsEnded,  // the button was let go, or no step followed for a moment
  Turning,     // the view turns by its speeds, or a held key acts
  NotTurning,  // neither
};

class MotionQuality {
 public:
  // The ray caster's step factor for frames drawn while the view moves.
  static constexpr float kCoarse = 3;

  // Takes a report; true when a full frame should be drawn now (the last one was coarse and
  // nothing moves any more).
  bool Report(ViewMotion motion);
  bool Moving() const { return turning_ || stepped_; }
  // The coarseness of the frame about to be drawn (1: full); `can_coarsen` says whether the
  // renderer has a coarser step. It is remembered as the last frame's.
  float NextFrame(bool can_coarsen);
  bool LastFrameCoarse() const { return last_coarse_; }
  // The last frame was drawn again at full quality (to be read back).
  void FullFrameDrawn() { last_coarse_ = false; }

 private:
  bool turning_ = false, stepped_ = false, last_coarse_ = false;
};

}  // namespace lumetrix
