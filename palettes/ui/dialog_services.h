#pragma once
// What the editor windows ask of the desktop: message boxes and the colour dialog. Replaceable
// so that the windows can be driven without anyone clicking (tests, scripted use).

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace lumetrix {

// title is "Lumetrix" unless a message has its own.
using MessageHandler = std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;
// Returns the chosen colour, or an invalid QColor when the user cancelled.
using ColorChooser = std::function<QColor(const QColor& initial)>;

inline const QString kApplicationTitle = QStringLiteral("Lumetrix");

// A modal message box with an OK button over parent.
MessageHandler MessageBoxHandler(QWidget* parent);
// The platform colour dialog over parent, opening on the swatch's colour.
ColorChooser ColorDialogChooser(QWidget* parent);

}  // namespace lumetrix
