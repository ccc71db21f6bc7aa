#include "viewer/view_motion.h"

namespace lumetrix {

bool MotionQuality::Report(ViewMotion motion) {
  switch (motion) {
    case ViewMotion::Stepped: stepped_ = true; break;
    case ViewMotion::StepsEnded: stepped_ = false; break;
    case ViewMotion::Turning: turning_ = true; break;
    case ViewMotion::NotTurning: turning_ = false; break;
  }
  return last_coarse_ && !Moving();
}

float MotionQuality::NextFrame(bool can_coarsen) {
  last_coarse_ = can_coarsen && Moving();
  return last_coarse_ ? kCoarse : 1.0f;
}

}  // namespace lumetrix
