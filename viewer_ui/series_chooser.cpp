#include "viewer_ui/series_chooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumetrix {

std::string SeriesRowText(int32_t number, const imaging::SeriesSummary& s) {
  const auto count = [](int32_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string text = std::to_string(number) + ": " + std::to_string(s.width) + " x " + std::to_string(s.height) + " x " +
                     std::to_string(s.slices) + ", " + count(s.channels, "channel", "channels") + ", " +
                     count(s.frames, "time point", "time points");
  if (!s.name.empty()) text += ", \"" + s.name + "\"";
  if (s.reduced) text += ", reduced resolution";
  return text;
}

SeriesChooser::SeriesChooser(const std::string& file_name, const std::vector<imaging::SeriesSummary>& series,
                             QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Open Series");
  setObjectName("SeriesChooser");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromStdString(file_name + " holds " + std::to_string(series.size()) +
                                                      " series. Which one should be opened?"),
                               this));
  list_ = new QListWidget(this);
  list_->setObjectName("lstSeries");
  for (size_t i = 0; i < series.size(); ++i)
    list_->addItem(QString::fromStdString(SeriesRowText(static_cast<int32_t>(i + 1), series[i])));
  list_->setCurrentRow(0);
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* open = buttons->addButton("Open", QDialogButtonBox::AcceptRole);
  open->setObjectName("cmdOpen");
  open->setDefault(true);
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  layout->addWidget(buttons);
}

int32_t SeriesChooser::Choose(QWidget* parent, const std::string& file_name,
                              const std::vector<imaging::SeriesSummary>& series) {
  SeriesChooser dialog(file_name, series, parent);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return dialog.list()->currentRow();
}

}  // namespace lumetrix
