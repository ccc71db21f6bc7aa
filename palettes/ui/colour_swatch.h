#pragma once
// A square colour swatch of the gradient editor: its colour is a stop's colour, a border marks
// an active stop.

#include <QColor>
#include <QWidget>

namespace lumetrix {

class ColourSwatch : public QWidget {
  Q_OBJECT
 public:
  ColourSwatch(int index, QWidget* parent);

  int index() const { return index_; }
  QColor colour() const { return colour_; }
  bool bordered() const { return bordered_; }
  void setColour(const QColor& c);
  void setBordered(bool on);

 signals:
  void pressed(int index, Qt::MouseButton button);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  int index_;
  QColor colour_ = Qt::black;
  bool bordered_ = true;
};

}  // namespace lumetrix
