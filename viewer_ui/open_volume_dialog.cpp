#include "viewer_ui/open_volume_dialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>

#include "imaging/zarr/zarr_reader.h"

namespace lumetrix {

QString ChooseVolumeToOpen(QWidget* owner, const QString& start) {
  // After an OME-Zarr folder the dialog starts beside it, not inside.
  const std::string last = start.toStdString();
  const bool after_zarr = imaging::IsZarrPath(last);
  QFileDialog dialog(owner, "Open TIF File", after_zarr ? QString::fromStdString(imaging::ZarrFolderOf(last)) + "/.." : start,
                     "TIF Files (*.tif *.tiff *.TIF *.TIFF);;OME-Zarr (*.zarr .zattrs .zgroup);;All Files (*)");
  dialog.setFileMode(QFileDialog::ExistingFile);
  // Qt's own dialog, whose folder model tells every folder shown (entered, typed or set).
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setFilter(dialog.filter() | QDir::Hidden);  // .zattrs and .zgroup can be picked
  QString zarr;
  auto* folders = dialog.findChild<QFileSystemModel*>();
  if (folders) QObject::connect(folders, &QFileSystemModel::rootPathChanged, &dialog, [&](const QString& folder) {
    if (!folder.endsWith(".zarr", Qt::CaseInsensitive) || !imaging::IsZarrPath(folder.toStdString())) return;
    zarr = folder;
    QTimer::singleShot(0, &dialog, &QDialog::reject);  // closes the dialog once the folder is shown
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return zarr;
  const std::string chosen = dialog.selectedFiles().first().toStdString();
  return QString::fromStdString(imaging::IsZarrPath(chosen) ? imaging::ZarrFolderOf(chosen) : chosen);
}

}  // namespace lumetrix
