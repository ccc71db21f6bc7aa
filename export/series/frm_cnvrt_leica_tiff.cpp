#include "export/series/frm_cnvrt_leica_tiff.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "export/series/conversion_progress.h"
#include "export/series/folder_browser.h"
#include "export/series/image_preview.h"
#include "export/series/md_browse.h"
#include "export/series/tiff_folder.h"
#include "imaging/image_box.h"

namespace lumetrix::series {

namespace {

const char* const kColourNames[3] = {"Red", "Green", "Blue"};

}  // namespace

frmCnvrtLeicaTiff::frmCnvrtLeicaTiff(QWidget* owner) : SeriesWindow(owner) {
  setObjectName("frmCnvrtLeicaTiff");
  setWindowTitle("Convert Leica Confocal TIFF Series");
  setModal(true);

  auto* channels = new QGridLayout;
  channels->addWidget(new QLabel("Series", this), 0, 1);
  auto* into = new QLabel("Colour planes from", this);
  into->setToolTip("Which channel goes into red, green and blue: Red = Ch01, Green = Ch02, Blue = Ch03");
  channels->addWidget(into, 0, 3);
  auto* previews = new QHBoxLayout;
  for (int c = 0; c < kLeicaChannels; ++c) {
    const size_t i = static_cast<size_t>(c);
    chkFile_[i] = new QCheckBox(QString("Ch%1").arg(c + 1, 2, 10, QChar('0')), this);
    chkFile_[i]->setObjectName(QString("chkFile%1").arg(c));
    chkFile_[i]->setChecked(true);
    cmbFile_[i] = new QComboBox(this);
    cmbFile_[i]->setObjectName(QString("cmbFile%1").arg(c));
    cmbFile_[i]->setMinimumContentsLength(16);
    connect(cmbFile_[i], &QComboBox::activated, this, [this, c](int) { cmbFile_Click(c); });
    cmbColor_[i] = new QComboBox(this);
    cmbColor_[i]->setObjectName(QString("cmbColor%1").arg(c));
    for (const char* name : kColourNames) cmbColor_[i]->addItem(name);
    cmbColor_[i]->setCurrentIndex(c);
    cmbColor_[i]->setToolTip(QString("The channel whose plane becomes %1: Red = Ch01, Green = Ch02, Blue = Ch03")
                                 .arg(QString(kColourNames[c]).toLower()));
    channels->addWidget(chkFile_[i], c + 1, 0);
    channels->addWidget(cmbFile_[i], c + 1, 1);
    channels->addWidget(new QLabel(QString("%1 from").arg(kColourNames[c]), this), c + 1, 2);
    channels->addWidget(cmbColor_[i], c + 1, 3);
    ImX_[i] = new ImagePreview(this);
    ImX_[i]->setObjectName(QString("ImX%1").arg(c));
    ImX_[i]->setMinimumSize(160, 160);
    previews->addWidget(ImX_[i]);
    boxes_[i] = std::make_unique<imaging::ImageBox>();
  }
  chkLink_ = new QCheckBox("Link Channel File Selections", this);
  chkLink_->setObjectName("chkLink");
  txtFile_ = new QLineEdit(this);
  txtFile_->setObjectName("txtFile");
  txtFile_->setReadOnly(true);

  cmdConvert_ = new QPushButton("Save 3D-TIFF", this);
  cmdConvert_->setObjectName("cmdConvert");
  cmdConvertAll_ = new QPushButton("Save All to 3D-TIFF", this);
  cmdConvertAll_->setObjectName("cmdConvertAll");
  QPushButton* close = CloseButton();
  for (QPushButton* b : {cmdConvert_, cmdConvertAll_}) b->setAutoDefault(false);
  connect(cmdConvert_, &QPushButton::clicked, this, &frmCnvrtLeicaTiff::cmdConvert_Click);
  connect(cmdConvertAll_, &QPushButton::clicked, this, &frmCnvrtLeicaTiff::cmdConvertAll_Click);

  auto* right = new QVBoxLayout;
  right->addLayout(channels);
  right->addWidget(chkLink_);
  right->addLayout(previews, 1);
  right->addWidget(txtFile_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdConvert_);
  buttons->addWidget(cmdConvertAll_);
  buttons->addWidget(close);
  right->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(FolderColumn(), 2);
  layout->addLayout(right, 3);
  resize(980, 560);

  connect(Browser(), &FolderBrowser::FolderChanged, this, &frmCnvrtLeicaTiff::FindSeries);
  FindSeries();
}

frmCnvrtLeicaTiff::~frmCnvrtLeicaTiff() = default;

void frmCnvrtLeicaTiff::FindSeries() {
  filling_lists_ = true;
  for (size_t c = 0; c < kLeicaChannels; ++c) {
    cmbFile_[c]->clear();
    ImX_[c]->ClearImage();
    ImX_[c]->setToolTip(QString());
  }
  txtFile_->clear();
  table_ = series::FindSeries(Browser()->FileNames());
  for (int c = 0; c < kLeicaChannels; ++c) {
    QComboBox* list = cmbFile_[static_cast<size_t>(c)];
    for (size_t row : table_.Channel(c)) {
      list->addItem(QFile::decodeName(table_.Rows()[row].BaseName.c_str()), QVariant::fromValue<qulonglong>(row));
    }
  }
  for (int c = 0; c < kLeicaChannels; ++c) {
    if (cmbFile_[static_cast<size_t>(c)]->count() > 0) {
      cmbFile_[static_cast<size_t>(c)]->setCurrentIndex(0);
      Preview(c);
    }
  }
  filling_lists_ = false;
}

std::optional<size_t> frmCnvrtLeicaTiff::SelectedRow(int channel) const {
  const QComboBox* list = cmbFile_.at(static_cast<size_t>(channel));
  if (list->currentIndex() < 0) return std::nullopt;
  const size_t row = static_cast<size_t>(list->currentData().toULongLong());
  if (row >= table_.Rows().size()) return std::nullopt;
  return row;
}

void frmCnvrtLeicaTiff::Preview(int channel) {
  const size_t c = static_cast<size_t>(channel);
  ImagePreview* preview = ImX_.at(c);
  const std::optional<size_t> row = SelectedRow(channel);
  const std::optional<int32_t> last = row ? table_.Rows()[*row].LastSlice[c] : std::nullopt;
  if (!last) {
    preview->ClearImage();
    preview->setToolTip(QString());
    boxes_[c]->ClearImage();
    if (channel == 0) txtFile_->clear();
    return;
  }
  const int32_t middle = *last / 2;
  const std::string name = LeicaSliceName(table_.Rows()[*row].BaseName, middle, channel);
  imaging::ImageBox& box = *boxes_[c];
  const bool loaded = box.LoadPage(JoinPath(Browser()->FolderPath(), name), 0);
  if (loaded) {
    preview->ShowImage(box);
  } else {
    preview->ClearImage();
  }
  QString tip = QString::fromStdString(SliceToolTip(middle, *last));
  if (!loaded) tip += "\n" + QString::fromStdString(box.LastError());
  preview->setToolTip(tip);
  if (channel == 0) txtFile_->setText(QString::fromStdString(loaded ? box.ImageInfo() : box.LastError()));
}

void frmCnvrtLeicaTiff::cmbFile_Click(int channel) {
  if (filling_lists_ || channel < 0 || channel >= kLeicaChannels) return;
  QComboBox* clicked = cmbFile_[static_cast<size_t>(channel)];
  if (!clicked->isEnabled()) return;
  if (!chkLink_->isChecked()) {
    Preview(channel);
    return;
  }
  // The lists may hold different series; the same series is chosen in each list that has it.
  const QString base = clicked->currentText();
  for (int c = 0; c < kLeicaChannels; ++c) {
    QComboBox* list = cmbFile_[static_cast<size_t>(c)];
    list->setEnabled(false);
    const int at = list->findText(base, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at >= 0) {
      const QSignalBlocker blocker(list);
      list->setCurrentIndex(at);
    }
    list->setEnabled(true);
    Preview(c);
  }
}

std::array<bool, kLeicaChannels> frmCnvrtLeicaTiff::CheckedChannels() const {
  std::array<bool, kLeicaChannels> checked{};
  for (size_t c = 0; c < kLeicaChannels; ++c) checked[c] = chkFile_[c]->isChecked();
  return checked;
}

ColourSources frmCnvrtLeicaTiff::Colours() const {
  ColourSources colours{};
  for (size_t k = 0; k < 3; ++k) colours[k] = cmbColor_[k]->currentIndex();
  return colours;
}

LeicaConversion frmCnvrtLeicaTiff::JobFor(const std::string& destination, size_t row) const {
  return LeicaConversionFor(table_.Rows().at(row), Browser()->FolderPath(), CheckedChannels(), Colours(), destination);
}

ConversionResult frmCnvrtLeicaTiff::saveTIF(const QString& file_name, size_t row) {
  if (Busy() || row >= table_.Rows().size()) return {};
  // The job is fixed before the first page: events handled during the conversion (a new folder,
  // other choices) cannot change it half-way.
  const LeicaConversion job = JobFor(NativePath(file_name), row);
  return WriteFile(file_name, [&](ProgressSink* progress) { return ConvertLeicaSeries(job, progress); });
}

void frmCnvrtLeicaTiff::cmdConvert_Click() {
  if (Busy()) return;
  // Channel 0's choice decides; a folder without channel 0 files uses the first list that has
  // series instead of doing nothing.
  std::optional<size_t> row;
  for (int c = 0; c < kLeicaChannels && !row; ++c) row = SelectedRow(c);
  if (!row) return;
  const QString name = AskSaveFile();
  if (name.isEmpty()) return;
  saveTIF(name, *row);
}

void frmCnvrtLeicaTiff::cmdConvertAll_Click() {
  if (Busy()) return;
  const QString chosen = choose_folder_ ? choose_folder_(last_destination_)
                                        : BrowseForFolder(this, last_destination_, "Choose Destination Folder");
  // A cancelled dialog keeps the last destination for the next time.
  if (chosen.isEmpty()) return;
  last_destination_ = chosen;
  if (!QFileInfo(chosen).isDir()) return;
  const std::string folder = NativePath(chosen);
  // Every series of the folder: channel 0's in list order first, then those other channels add.
  std::vector<LeicaConversion> jobs;
  for (size_t row = 0; row < table_.Rows().size(); ++row) {
    jobs.push_back(JobFor(JoinPath(folder, table_.Rows()[row].BaseName + ".tif"), row));
  }
  if (jobs.empty()) return;

  SetBusy(true);
  QStringList problems;
  int written = 0;
  {
    const BusyCursor hourglass;
    ConversionProgress progress(this, QString());
    for (size_t i = 0; i < jobs.size(); ++i) {
      progress.SetLabel(QString("Writing %1 (%2 of %3) ...")
                            .arg(QFile::decodeName(BaseFileName(jobs[i].Destination).c_str()))
                            .arg(i + 1)
                            .arg(jobs.size()));
      const ConversionResult result = ConvertLeicaSeries(jobs[i], &progress);
      if (result.Written) ++written;
      if (const std::string text = result.Message(); !text.empty()) problems << QString::fromStdString(text);
      if (result.Cancelled) break;
    }
  }
  SetBusy(false);
  if (!problems.isEmpty()) {
    Message(QString("%1 of %2 series written to %3.\n\n").arg(written).arg(jobs.size()).arg(chosen) +
            problems.join("\n\n"));
  }
}

}  // namespace lumetrix::series
