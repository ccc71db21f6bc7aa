#pragma once
// Lets the window-free commands run where there is no display (cluster nodes, ssh sessions):
// Qt then uses its offscreen platform, and OpenGL comes from EGL (see OffscreenView).

namespace lumetrix {

// True when neither an X server nor a Wayland compositor is named in the environment.
bool NoDisplay();
// Before the application object is made: chooses Qt's offscreen platform when there is no
// display, or the X display named cannot be opened, and the user has not named a platform.
// Returns whether it did.
bool UseOffscreenPlatformWithoutDisplay();

}  // namespace lumetrix
