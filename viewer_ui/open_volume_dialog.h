#pragma once
// File > Open Image's dialog: TIFF files, and OME-Zarr folders, which are folders on disk but
// one image to the user: entering a folder ending in .zarr, or picking its .zattrs or .zgroup,
// chooses the folder.

#include <QString>

class QWidget;

namespace lumetrix {

// The chosen file or OME-Zarr folder; empty when cancelled.
QString ChooseVolumeToOpen(QWidget* owner, const QString& start);

}  // namespace lumetrix
