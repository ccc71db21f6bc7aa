#include "viewer_ui/status_panes.h"

#include <QLabel>
#include <QPainter>
#include <QStatusBar>

#include <algorithm>

#include "viewer/render_options.h"
#include "viewer/viewer.h"
#include "viewer/volume_summary.h"

namespace lumetrix {
namespace {

// A label that gives up width when the bar is narrow: the text is cut with an ellipsis, and the
// whole of it is in the tooltip.
class ElidedLabel : public QLabel {
 public:
  ElidedLabel(QWidget* parent, Qt::TextElideMode mode) : QLabel(parent), mode_(mode) {}
  QSize minimumSizeHint() const override { return {fontMetrics().horizontalAdvance("0000..."), sizeHint().height()}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), mode_, area.width()));
  }

 private:
  Qt::TextElideMode mode_;
};

QLabel* Pane(QStatusBar* bar, const char* name, const char* tip, bool permanent) {
  // A message keeps both ends ("Saved /home/.../movie.mp4"), a summary its start.
  auto* label = new ElidedLabel(bar, permanent ? Qt::ElideRight : Qt::ElideMiddle);
  label->setObjectName(name);
  label->setToolTip(tip);
  label->setContentsMargins(6, 0, 6, 0);
  if (permanent)
    bar->addPermanentWidget(label);
  else
    bar->addWidget(label, 1);  // the rest of the bar
  return label;
}

void SetText(QLabel* label, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (label->text() == shown) return;  // a frame's change costs no relayout
  label->setText(shown);
  if (!shown.isEmpty()) label->setToolTip(shown);
}

}  // namespace

StatusPanes::StatusPanes(QStatusBar* bar) : bar_(bar) {
  bar_->setObjectName("sbStatusBar");
  message_ = Pane(bar, "lblStatusMessage", "The last message", false);
  volume_ = Pane(bar, "lblStatusVolume", "The shown file: size, channels, time points, bits and voxel size", true);
  // The mode is a short word: it is never cut.
  mode_ = new QLabel(bar);
  mode_->setObjectName("lblStatusMode");
  mode_->setToolTip("The render mode");
  mode_->setContentsMargins(6, 0, 6, 0);
  bar->addPermanentWidget(mode_);
  // Tall enough for a line of text even before anything is written in it, and of one height
  // from the start, so that the drawing area's size presets can count it before it is shown.
  bar_->setFixedHeight(std::max(bar_->sizeHint().height(), bar_->fontMetrics().height() + 6));
}

void StatusPanes::Follow(const Viewer& viewer) {
  const bool shown = !viewer.LastFile().empty();
  SetText(volume_, shown ? VolumeSummary(viewer.Volume()) : std::string());
  SetText(mode_, shown ? std::string("Mode: ") + RenderModeName(viewer.View().Mode) : std::string());
}

void StatusPanes::ShowMessage(const std::string& line) {
  // A message keeps room for a few words in a narrow window (the file's summary gives way);
  // without one, the summary has the whole bar.
  message_->setMinimumWidth(line.empty() ? 0 : message_->fontMetrics().averageCharWidth() * 24);
  SetText(message_, line);
}

}  // namespace lumetrix
