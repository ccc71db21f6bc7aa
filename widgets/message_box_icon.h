#pragma once
// The message box icon that shows a window-free MessageIcon.

#include <QMessageBox>

#include "core/messages.h"

namespace lumetrix {

inline QMessageBox::Icon MessageBoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace lumetrix
