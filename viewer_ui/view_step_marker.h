#pragma once
// Marks where a person's step with the view ends, for undo: any mouse button or key going down
// or up anywhere in the program (held keys repeating do not count). A burst of wheel notches is
// thus one step, ended by the next click or key.

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <functional>

namespace lumetrix {

class ViewStepMarker : public QObject {
 public:
  ViewStepMarker(std::function<void()> settle, QObject* parent) : QObject(parent), settle_(std::move(settle)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(event)->isAutoRepeat()) break;
        [[fallthrough]];
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: settle_(); break;
      default: break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> settle_;
};

}  // namespace lumetrix
