#include "render/headless_platform.h"

#include <QByteArray>
#include <QtGlobal>

namespace lumetrix {

bool NoDisplay() { return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"); }

bool UseOffscreenPlatformWithoutDisplay() {
  if (!NoDisplay() || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return false;
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  // Qt's offscreen platform would look for an X server for OpenGL; there is none to find.
  qputenv("QT_QPA_OFFSCREEN_NO_GLX", QByteArray("1"));
  return true;
}

}  // namespace lumetrix
