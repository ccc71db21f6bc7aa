#pragma once
// Qt keys as the virtual-key codes the viewer's key table uses (-1 for keys it has no code for).

#include <QKeyEvent>

namespace lumetrix {

int VirtualKeyOf(const QKeyEvent& event);

}  // namespace lumetrix
