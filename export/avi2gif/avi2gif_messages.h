#pragma once
// The texts the AVI-to-GIF converter shows, each in a plain message box with the exclamation
// icon; the command line prints them.

namespace lumetrix::avi2gif {

inline constexpr const char* kCaption = "AVItoGIF";
inline constexpr const char* kMsgLoadError = "Unexpected error loading AVI file.";
inline constexpr const char* kMsgNothingToSave = "Nothing to save";
inline constexpr const char* kMsgNothingToOptimize = "Nothing to optimize";
inline constexpr const char* kMsgSaveError = "Unexpected error saving GIF file.";

}  // namespace lumetrix::avi2gif
