#pragma once
// Plain toolbar pictures drawn in code, for actions whose icon the desktop's theme lacks and Qt's
// style offers none of (print, cut, copy, paste): without them the toolbar shows words, which
// pushes the last buttons out of a window of the default size.

#include <QIcon>
#include <QString>

namespace lumetrix::scripting {

// "document-print", "edit-cut", "edit-copy" or "edit-paste" drawn in `ink`; a null icon for any
// other name.
QIcon DrawnIcon(const QString& name, const QColor& ink);

}  // namespace lumetrix::scripting
