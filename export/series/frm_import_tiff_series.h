#pragma once
// "Convert Tiff Series": pick a folder, put some of its TIFF files in slice order and join them
// into one multi-page 24-bit TIFF file.

#include <functional>
#include <memory>

#include "export/series/selection_list.h"
#include "export/series/series_window.h"

class QListWidget;
class QPushButton;

namespace lumetrix::imaging {
class ImageBox;
}

namespace lumetrix::series {

class ImagePreview;

class frmImportTiffSeries : public SeriesWindow {
  Q_OBJECT
 public:
  explicit frmImportTiffSeries(QWidget* owner = nullptr);
  ~frmImportTiffSeries() override;

  const SelectionList& SourceList() const { return source_; }
  const SelectionList& SeriesList() const { return series_; }

  // Joins the series (names in the shown folder) into `file_name`; false when nothing was
  // written. Reports problems through the message box.
  bool saveTIF(const QString& file_name);

 public slots:
  void btnMoveItems_Click();
  void Command1_Click();
  void cmdUp_Click();
  void cmdDown_Click();
  void btnSelectAll1_Click();
  void btnSelectAll2_Click();
  void btnClearSelections1_Click();
  void btnClearSelections2_Click();
  void cmdConvert_Click();

 private:
  void FolderChanged();
  void lstMulti1_Click();
  void UpdatePreview();
  void PullLists();
  void RenderLists();
  // Takes the user's selections from both lists, runs edit on them and shows the result.
  void EditLists(const std::function<void()>& edit);
  QPushButton* Button(const char* name, const QString& caption, void (frmImportTiffSeries::*slot)());

  QListWidget* lstMulti1_;
  QListWidget* lstMulti2_;
  ImagePreview* imS_;
  std::unique_ptr<imaging::ImageBox> box_;
  SelectionList source_;
  SelectionList series_;
  std::string preview_path_;
};

}  // namespace lumetrix::series
