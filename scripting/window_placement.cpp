#include "scripting/window_placement.h"

#include <QSettings>

#include <algorithm>

#include "scripting/settings_values.h"

namespace lumetrix::scripting {

namespace {

constexpr int kLimit = 100000;  // pixels; beyond any screen

}  // namespace

WindowPlacement WindowPlacement::Load(QSettings& settings) {
  const WindowPlacement d;
  WindowPlacement p;
  p.left = static_cast<int>(ReadInteger(settings, kSettingsSection, QStringLiteral("ScriptLeft"), -kLimit, kLimit, d.left));
  p.top = static_cast<int>(ReadInteger(settings, kSettingsSection, QStringLiteral("ScriptTop"), -kLimit, kLimit, d.top));
  p.width = static_cast<int>(ReadInteger(settings, kSettingsSection, QStringLiteral("ScriptWidth"), 1, kLimit, d.width));
  p.height = static_cast<int>(ReadInteger(settings, kSettingsSection, QStringLiteral("ScriptHeight"), 1, kLimit, d.height));
  return p;
}

void WindowPlacement::Save(QSettings& settings) const {
  WriteInteger(settings, kSettingsSection, QStringLiteral("ScriptLeft"), left);
  WriteInteger(settings, kSettingsSection, QStringLiteral("ScriptTop"), top);
  WriteInteger(settings, kSettingsSection, QStringLiteral("ScriptWidth"), width);
  WriteInteger(settings, kSettingsSection, QStringLiteral("ScriptHeight"), height);
}

WindowPlacement ClampToScreen(const WindowPlacement& placement, const QRect& available, QSize minimum) {
  WindowPlacement p = placement;
  p.width = std::max(p.width, minimum.width());
  p.height = std::max(p.height, minimum.height());
  if (available.isEmpty()) return p;
  p.width = std::min(p.width, std::max(available.width(), minimum.width()));
  p.height = std::min(p.height, std::max(available.height(), minimum.height()));
  p.left = std::clamp(p.left, available.left(), std::max(available.left(), available.left() + available.width() - p.width));
  p.top = std::clamp(p.top, available.top(), std::max(available.top(), available.top() + available.height() - p.height));
  return p;
}

}  // namespace lumetrix::scripting
