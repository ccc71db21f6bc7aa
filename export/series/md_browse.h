#pragma once
// The folder-selection dialog of the series windows.

#include <QString>

class QWidget;

namespace lumetrix::series {

// Shows a folder chooser owned by `owner`, titled `title`, opening at `initial`; returns the
// chosen folder or empty text when cancelled. With `include_files` the files of each folder are
// shown too. The other options belong to the older system dialog and change nothing here.
QString BrowseForFolder(QWidget* owner, const QString& initial, const QString& title, bool include_files = false,
                        bool newer_style = true, bool stay_in_domain = false, bool ancestors_only = false,
                        bool edit_box = false);

}  // namespace lumetrix::series
