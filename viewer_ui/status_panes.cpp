#include "viewer_ui/status_panes.h"

#include <QLabel>
#include <QStatusBar>

#include <algorithm>

#include "viewer/render_options.h"
#include "viewer/viewer.h"
#include "viewer/volume_summary.h"

namespace lumetrix {
namespace {

QLabel* Pane(QStatusBar* bar, const char* name, const char* tip) {
  auto* label = new QLabel(bar);
  label->setObjectName(name);
  label->setToolTip(tip);
  label->setContentsMargins(6, 0, 6, 0);
  bar->addPermanentWidget(label);
  return label;
}

void SetText(QLabel* label, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (label->text() != shown) label->setText(shown);  // a frame's change costs no relayout
}

}  // namespace

StatusPanes::StatusPanes(QStatusBar* bar) : bar_(bar) {
  bar_->setObjectName("sbStatusBar");
  volume_ = Pane(bar, "lblStatusVolume", "The shown file: size, channels, time points, bits and voxel size");
  mode_ = Pane(bar, "lblStatusMode", "The render mode");
  // Tall enough for a line of text even before anything is written in it, and of one height
  // from the start, so that the drawing area's size presets can count it before it is shown.
  bar_->setFixedHeight(std::max(bar_->sizeHint().height(), bar_->fontMetrics().height() + 6));
}

void StatusPanes::Follow(const Viewer& viewer) {
  const bool shown = !viewer.LastFile().empty();
  SetText(volume_, shown ? VolumeSummary(viewer.Volume()) : std::string());
  SetText(mode_, shown ? std::string("Render mode: ") + RenderModeName(viewer.View().Mode) : std::string());
}

void StatusPanes::ShowMessage(const std::string& line) { bar_->showMessage(QString::fromStdString(line)); }

}  // namespace lumetrix
