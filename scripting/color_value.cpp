#include "scripting/color_value.h"

namespace lumetrix::scripting {

QColor ColorFromBgr(int32_t value) {
  if (value < 0 || value > 0xFFFFFF) return QColor();
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int32_t BgrFromColor(const QColor& color) {
  if (!color.isValid()) return -1;
  const QColor rgb = color.toRgb();
  return static_cast<int32_t>(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}

}  // namespace lumetrix::scripting
