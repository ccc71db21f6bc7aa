#pragma once
// The Display window: per channel a colour swatch, visible, minimum and maximum sliders, gamma,
// Auto and Reset, and the time point when there are several. A thin view over the viewer's
// channel setters; the slices are rebuilt when a slider is let go.

#include <QDialog>
#include <functional>

namespace lumetrix {

class Viewer;

class frmDisplay : public QDialog {
  Q_OBJECT
 public:
  frmDisplay(Viewer& viewer, QWidget* parent = nullptr);
  // The rows again, for the stack shown now.
  void Refresh() { Build(); }

 private:
  void Build();
  void Apply(const std::function<void()>& change);
  Viewer& viewer_;
  QWidget* page_ = nullptr;
};

}  // namespace lumetrix
