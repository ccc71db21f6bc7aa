#include "viewer_ui/tool_window_place.h"

#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace lumetrix {
namespace {

QString PositionKey(const QWidget& tool) { return "Windows/" + tool.objectName() + "/Pos"; }

// Stores the tool's position whenever it is hidden or closed, so the next one opens there.
class PositionKeeper : public QObject {
 public:
  explicit PositionKeeper(QWidget* tool) : QObject(tool) { tool->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide) {
      const auto* tool = static_cast<QWidget*>(watched);
      QSettings("Lumetrix", "Lumetrix").setValue(PositionKey(*tool), tool->pos());
    }
    return false;
  }
};

}  // namespace

QPoint KeepOnScreen(const QRect& frame, const QRect& screen) {
  if (screen.isEmpty()) return frame.topLeft();
  const int right = screen.x() + screen.width(), bottom = screen.y() + screen.height();
  return {std::clamp(frame.x(), screen.x(), std::max(screen.x(), right - frame.width())),
          std::clamp(frame.y(), screen.y(), std::max(screen.y(), bottom - frame.height()))};
}

QRect PlaceBeside(const QRect& main_frame, QSize tool, const QRect& screen) {
  const int past_right = main_frame.x() + main_frame.width(), past_bottom = main_frame.y() + main_frame.height();
  const int screen_right = screen.x() + screen.width(), screen_bottom = screen.y() + screen.height();
  QPoint at(screen_right - tool.width(), main_frame.y());  // no room anywhere: overlapping least on the right
  if (screen.isEmpty() || past_right + tool.width() <= screen_right)
    at = {past_right, main_frame.y()};
  else if (main_frame.x() - tool.width() >= screen.x())
    at = {main_frame.x() - tool.width(), main_frame.y()};
  else if (past_bottom + tool.height() <= screen_bottom)
    at = {main_frame.x(), past_bottom};
  return {KeepOnScreen(QRect(at, tool), screen), tool};
}

void ShowToolWindow(QWidget& tool, const QWidget& main) {
  if (!tool.property("lumetrixPlaced").toBool()) {  // a window object shown for the first time
    tool.setProperty("lumetrixPlaced", true);
    new PositionKeeper(&tool);
    if (!tool.testAttribute(Qt::WA_Resized)) tool.adjustSize();
    const QRect screen = main.screen() ? main.screen()->availableGeometry() : QRect();
    // The tool's frame is not known before it is shown: the main window's decoration stands in.
    const QSize framed = tool.size() + (main.frameGeometry().size() - main.size());
    const QVariant stored = QSettings("Lumetrix", "Lumetrix").value(PositionKey(tool));
    tool.move(stored.canConvert<QPoint>() && stored.isValid() ? KeepOnScreen(QRect(stored.toPoint(), framed), screen)
                                                              : PlaceBeside(main.frameGeometry(), framed, screen).topLeft());
  }
  tool.show();
  tool.raise();
}

}  // namespace lumetrix
