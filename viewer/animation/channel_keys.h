#pragma once
// The channels' looks and the time point in a keyframe animation: between two keyframes, taken
// from the volume where the keyframes leave them out, and put onto the display settings shown.

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/animation/keyframe.h"
#include "viewer/channel_display.h"

namespace lumetrix::animation {

struct KeyframeTrack;

// The channels and time point at progress t (0..1) from `from` to `to`: colours, ranges and
// gamma linearly where both keyframes give them, the time point linearly to the nearest one
// (half to even, as the script member rounds), visibility as `from` has it.
void BlendChannels(const Keyframe& from, const Keyframe& to, double t, std::vector<ChannelKey>& channels,
                   int32_t& timePoint);

// Gives every keyframe each channel part and the time point that any keyframe gives, the
// keyframes before the first one that gives it taking the value of `shown`. "" on success, else
// why the animation does not fit the volume (a channel or time point it does not have).
std::string StartFrom(KeyframeTrack& track, const DisplaySettings& shown, int32_t timePoints);

// The looks of all channels shown, every part given.
std::vector<ChannelKey> ChannelKeysOf(const DisplaySettings& shown);

// `display` with the given parts of `channels` and the time point (when above 0) put in;
// colours rounded to whole levels.
DisplaySettings WithFrame(DisplaySettings display, const std::vector<ChannelKey>& channels, int32_t timePoint);

}  // namespace lumetrix::animation
