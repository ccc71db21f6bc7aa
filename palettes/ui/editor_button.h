#pragma once
// A push button of the palette editors, named for tests and scripts, calling slot of window.
// Never a default button: Enter in the editable name box must not press Load or Save.

#include <QPushButton>
#include <QString>

namespace lumetrix {

template <class Window>
QPushButton* EditorButton(QWidget* parent, const char* name, const QString& text, Window* window,
                          void (Window::*slot)()) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, window, slot);
  return button;
}

}  // namespace lumetrix
