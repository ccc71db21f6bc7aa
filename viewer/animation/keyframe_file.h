#pragma once
// Keyframe files (".lkf"), JSON:
//   {"fps": 25, "size": [640, 480],
//    "keyframes": [{"frame": 0, "YRot": 0}, {"frame": 50, "YRot": 180, "PosZ": -3, "Ease": "inout"}]}
// A keyframe holds "frame" (0..100000, ascending) and any of the view properties by their own
// names (numbers; Color and LightColor as [r, g, b]; LightOn and ClipOn true/false; RenderMode
// and Projection as words; Crop, ClipPlane and IsoLevel as arrays, checked as the script members
// check them), "Palette" (a Palette menu caption), "Ease" ("linear" or "inout") and "FullTurn"
// (true: rotations turn by the plain difference). "MaxProjection" (true/false) is the render
// mode of older files; "RenderMode" wins in a keyframe that gives both. "ClipPlane" switches the
// plane on unless the keyframe gives "ClipOn". The volume's channels are "Channel1".."Channel8",
// each an object with any of "Visible" (true/false), "Color" ([r, g, b], 0..255), "Range"
// ([min, max] in stored values) and "Gamma"; "TimePoint" (from 1) is the time point shown. A
// property a keyframe leaves out keeps the value it had at the keyframe before (the start view
// for the first; for channel parts and the time point, what the volume shows when the movie
// starts).

#include <optional>
#include <string>

#include "viewer/animation/keyframe_track.h"

namespace lumetrix::animation {

// The track, or nothing with `error` naming the keyframe and the property at fault.
std::optional<KeyframeTrack> ParseKeyframes(const std::string& json, std::string& error);
std::optional<KeyframeTrack> LoadKeyframes(const std::string& path, std::string& error);

// Every keyframe with every property, so the file reads the same whatever comes before.
std::string KeyframesJson(const KeyframeTrack& track);
// Through the staged writer; "" on success, else why nothing was written.
std::string SaveKeyframes(const std::string& path, const KeyframeTrack& track);

}  // namespace lumetrix::animation
