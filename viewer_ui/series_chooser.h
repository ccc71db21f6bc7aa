#pragma once
// The chooser of a file with several series: one row per series (size, channels, time points,
// name, "reduced resolution"), the first selected; "Open" and "Cancel".

#include <QDialog>

#include <string>
#include <vector>

#include "imaging/tiff_series.h"

class QListWidget;

namespace lumetrix {

class SeriesChooser : public QDialog {
  Q_OBJECT
 public:
  SeriesChooser(const std::string& file_name, const std::vector<imaging::SeriesSummary>& series,
                QWidget* parent = nullptr);
  QListWidget* list() const { return list_; }
  // The chosen series (0-based) after Open; -1 after Cancel.
  static int32_t Choose(QWidget* parent, const std::string& file_name, const std::vector<imaging::SeriesSummary>& series);

 private:
  QListWidget* list_;
};

// A row of the chooser: "16 x 12 x 3, 2 channels, 1 time point, \"main\"".
std::string SeriesRowText(int32_t number, const imaging::SeriesSummary& s);

}  // namespace lumetrix
