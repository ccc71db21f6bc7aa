#include "export/series/frm_import_tiff_series.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "export/series/folder_browser.h"
#include "export/series/image_preview.h"
#include "export/series/join_series.h"
#include "export/series/list_binding.h"
#include "export/series/tiff_folder.h"
#include "imaging/image_box.h"

namespace lumetrix::series {

namespace {

QListWidget* MultiList(QWidget* parent, const char* name) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  return list;
}

}  // namespace

frmImportTiffSeries::frmImportTiffSeries(QWidget* owner)
    : SeriesWindow(owner), box_(std::make_unique<imaging::ImageBox>()) {
  setObjectName("frmImportTiffSeries");
  setWindowTitle("Convert Tiff Series");
  setModal(true);

  lstMulti1_ = MultiList(this, "lstMulti1");
  lstMulti2_ = MultiList(this, "lstMulti2");
  imS_ = new ImagePreview(this);
  imS_->setObjectName("imS");
  imS_->setMinimumSize(200, 200);

  auto* source = new QVBoxLayout;
  source->addWidget(lstMulti1_);
  source->addWidget(Button("btnSelectAll1", "Select All Items", &frmImportTiffSeries::btnSelectAll1_Click));
  source->addWidget(Button("btnClearSelections1", "Clear Selections", &frmImportTiffSeries::btnClearSelections1_Click));

  auto* moves = new QVBoxLayout;
  moves->addStretch();
  moves->addWidget(Button("btnMoveItems", "Copy Selected >", &frmImportTiffSeries::btnMoveItems_Click));
  moves->addWidget(Button("Command1", "Remove Selected Items", &frmImportTiffSeries::Command1_Click));
  moves->addSpacing(12);
  moves->addWidget(Button("cmdUp", "Up", &frmImportTiffSeries::cmdUp_Click));
  moves->addWidget(Button("cmdDown", "Down", &frmImportTiffSeries::cmdDown_Click));
  moves->addStretch();

  auto* series = new QVBoxLayout;
  series->addWidget(lstMulti2_);
  series->addWidget(Button("btnSelectAll2", "Select All Items", &frmImportTiffSeries::btnSelectAll2_Click));
  series->addWidget(Button("btnClearSelections2", "Clear Selections", &frmImportTiffSeries::btnClearSelections2_Click));

  auto* lists = new QHBoxLayout;
  lists->addLayout(FolderColumn(), 3);
  lists->addLayout(source, 2);
  lists->addLayout(moves);
  lists->addLayout(series, 2);
  lists->addWidget(imS_, 3);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(Button("cmdConvert", "Convert to 3D TIFF", &frmImportTiffSeries::cmdConvert_Click));
  bottom->addWidget(CloseButton());

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addLayout(bottom);
  resize(1000, 520);

  connect(lstMulti1_, &QListWidget::itemSelectionChanged, this, &frmImportTiffSeries::lstMulti1_Click);
  connect(Browser(), &FolderBrowser::FolderChanged, this, &frmImportTiffSeries::FolderChanged);
  FolderChanged();
}

frmImportTiffSeries::~frmImportTiffSeries() = default;

QPushButton* frmImportTiffSeries::Button(const char* name, const QString& caption,
                                         void (frmImportTiffSeries::*slot)()) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(name);
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, slot);
  return button;
}

void frmImportTiffSeries::FolderChanged() {
  source_.SetItems(Browser()->FileNames());
  RenderList(source_, lstMulti1_);
  imS_->ClearImage();
  imS_->setToolTip(Browser()->ListError());
  preview_path_.clear();
}

void frmImportTiffSeries::PullLists() {
  PullList(lstMulti1_, source_);
  PullList(lstMulti2_, series_);
}

void frmImportTiffSeries::RenderLists() {
  RenderList(source_, lstMulti1_);
  RenderList(series_, lstMulti2_);
  // Selecting or deselecting source items by button changes the preview as a click does.
  UpdatePreview();
}

void frmImportTiffSeries::EditLists(const std::function<void()>& edit) {
  PullLists();
  edit();
  RenderLists();
}

void frmImportTiffSeries::lstMulti1_Click() {
  PullList(lstMulti1_, source_);
  UpdatePreview();
}

void frmImportTiffSeries::UpdatePreview() {
  const auto first = source_.FirstSelected();
  if (!first) {
    imS_->ClearImage();
    imS_->setToolTip(QString());
    preview_path_.clear();
    return;
  }
  const std::string path = JoinPath(Browser()->FolderPath(), source_.Item(*first));
  // Dragging a selection repeats the same first item; it is read once.
  if (path == preview_path_) return;
  preview_path_ = path;
  if (box_->LoadPage(path, 0)) {
    imS_->ShowImage(*box_);
    imS_->setToolTip(QString::fromStdString(box_->ImageInfo()));
  } else {
    imS_->ClearImage();
    imS_->setToolTip(QString::fromStdString(box_->LastError()));
  }
}

void frmImportTiffSeries::btnMoveItems_Click() { EditLists([this] { CopySelected(source_, series_); }); }
void frmImportTiffSeries::Command1_Click() { EditLists([this] { series_.RemoveSelected(); }); }
void frmImportTiffSeries::cmdUp_Click() { EditLists([this] { MoveFldUp(series_); }); }
void frmImportTiffSeries::cmdDown_Click() { EditLists([this] { MoveFldDown(series_); }); }
void frmImportTiffSeries::btnSelectAll1_Click() { EditLists([this] { source_.SelectAll(); }); }
void frmImportTiffSeries::btnSelectAll2_Click() { EditLists([this] { series_.SelectAll(); }); }
void frmImportTiffSeries::btnClearSelections1_Click() { EditLists([this] { source_.ClearSelections(); }); }
void frmImportTiffSeries::btnClearSelections2_Click() { EditLists([this] { series_.ClearSelections(); }); }

void frmImportTiffSeries::cmdConvert_Click() {
  if (Busy()) return;
  PullLists();
  if (series_.empty()) {
    Message("First select the files");
    return;
  }
  const QString name = AskSaveFile();
  if (name.isEmpty()) return;
  saveTIF(name);
}

bool frmImportTiffSeries::saveTIF(const QString& file_name) {
  if (Busy()) return false;
  std::vector<std::string> paths;
  const std::string folder = Browser()->FolderPath();
  for (const std::string& name : series_.Items()) paths.push_back(JoinPath(folder, name));
  return WriteFile(file_name, [&](ProgressSink* progress) {
           return JoinTiffSeries(paths, NativePath(file_name), progress);
         }).Written;
}

}  // namespace lumetrix::series
