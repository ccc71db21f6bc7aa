#pragma once
// Messages the movie code raises for the user. The window shows each as a plain message box
// (OK button, titled "Lumetrix"); scripts and the command line print them.

#include <string>

#include "core/messages.h"

namespace lumetrix::avi {

using lumetrix::MessageIcon;
using lumetrix::MessageSink;

// The fixed texts users know from the recorder and the recompressor.
inline constexpr const char* kMsgErrorWriting = "There was an error writing the file.";
inline constexpr const char* kMsgFirstBitmap = "Could not load first bitmap file in list!";
inline constexpr const char* kMsgUserCanceled = "User canceled the creation of AVI file.";
inline constexpr const char* kMsgSaveOptionsError = "AVI SaveOptions returned an error !";
inline constexpr const char* kMsgErrorWorkingWith = "There was an error working with the file:";

// "The File: "name" is already open so not accesible" (the wording users have always seen).
inline std::string LockedFileMessage(const std::string& fileName) {
  return "The File: \"" + fileName + "\" is already open so not accesible";
}

}  // namespace lumetrix::avi
