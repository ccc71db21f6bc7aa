#pragma once
// "Save as script": the animation as a script for the script host. It records `moviePath` with
// AVIStart and draws every frame with the values the keyframe movie computes: each changing
// value is written as start + change * t, with t computed as the track computes it, so the frames
// come out the same.

#include <string>

#include "viewer/animation/keyframe_track.h"

namespace lumetrix::animation {

std::string KeyframeScript(const KeyframeTrack& track, const std::string& moviePath);

}  // namespace lumetrix::animation
