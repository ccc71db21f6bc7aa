#pragma once
// Colour values of the editor tables are 0x00BBGGRR (red in the low byte).

#include <QColor>

#include <cstdint>

namespace lumetrix::scripting {

QColor ColorFromBgr(int32_t value);  // -1 (none) gives an invalid colour
int32_t BgrFromColor(const QColor& color);

}  // namespace lumetrix::scripting
