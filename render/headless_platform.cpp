#include "render/headless_platform.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QtGlobal>

namespace lumetrix {
namespace {

// An X display named but not open to this user (another user's session, an expired ssh
// forwarding) would stop Qt's X platform with an abort; the commands draw without it instead.
void ForgetUnreachableDisplay() {
  if (qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool reachable = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (!reachable) qunsetenv("DISPLAY");
}

}  // namespace

bool NoDisplay() { return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"); }

bool UseOffscreenPlatformWithoutDisplay() {
  ForgetUnreachableDisplay();
  if (!NoDisplay() || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return false;
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  // Qt's offscreen platform would look for an X server for OpenGL; there is none to find.
  qputenv("QT_QPA_OFFSCREEN_NO_GLX", QByteArray("1"));
  return true;
}

}  // namespace lumetrix
