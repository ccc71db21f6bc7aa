#pragma once
// A light progress bar: a flat rectangle filled from one end in the foreground colour up to
// Value / Max, the rest in the background colour, with no border, a thin flat border or a
// sunken one. It repaints only when the filled length in pixels changes.

#include <QColor>
#include <QFrame>
#include <QPalette>
#include <optional>

#include "widgets/progress_fill.h"

namespace lumetrix::widgets {

class ucProgress : public QFrame {
  Q_OBJECT
  Q_PROPERTY(int Orientation READ Orientation WRITE SetOrientation)
  Q_PROPERTY(int BorderStyle READ BorderStyle WRITE SetBorderStyle)
  Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)
  Q_PROPERTY(QColor ForeColor READ ForeColor WRITE SetForeColor)
  Q_PROPERTY(int Max READ Max WRITE SetMax)
  Q_PROPERTY(int Value READ Value WRITE SetValue)

 public:
  enum : int { kBorderNone = 0, kBorderThin = 1, kBorderSunken = 2 };

  explicit ucProgress(QWidget* parent = nullptr);

  // 0 horizontal (fills from the left), 1 vertical (fills from the bottom). Changing it swaps
  // the control's width and height (it keeps its position). Other values are ignored.
  int Orientation() const { return fill_.Orientation(); }
  void SetOrientation(int orientation);
  // 0 none, 1 thin flat line, 2 sunken (default). Other values are ignored.
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);

  // Colours: a plain colour, or a reference to a colour of the widget's palette (the system
  // colours), resolved when painting. Defaults: the button face and the highlight colour.
  QColor BackColor() const;
  void SetBackColor(const QColor& colour);
  void SetBackColorRole(QPalette::ColorRole role);
  QColor ForeColor() const;
  void SetForeColor(const QColor& colour);
  void SetForeColorRole(QPalette::ColorRole role);

  // Stored as 1 when below 1; seen at the next SetValue or resize.
  int Max() const { return fill_.Max(); }
  void SetMax(int max) { fill_.SetMax(max); }
  int Value() const { return fill_.Value(); }
  void SetValue(int value);

  // The filled length in pixels and the two rectangles, in widget coordinates.
  int FillLength() const { return fill_.FillLength(); }
  QRect BarRect() const;
  QRect RestRect() const;

  QSize sizeHint() const override { return QSize(200, 20); }

 signals:
  void Click();
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
  void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ApplyBorder();
  void SyncClientSize();
  QRect ToWidget(const PixelRect& r) const;

  ProgressFill fill_;
  int borderStyle_ = kBorderSunken;
  QColor backColor_;
  std::optional<QPalette::ColorRole> backRole_ = QPalette::Button;
  QColor foreColor_;
  std::optional<QPalette::ColorRole> foreRole_ = QPalette::Highlight;
  bool pressed_ = false;
};

}  // namespace lumetrix::widgets
