#pragma once
// The folder tree and the TIFF file list that both series windows start from.

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QFileSystemModel;
class QListWidget;
class QTreeView;
class QWidget;

namespace lumetrix::series {

class PlainIconProvider;

// A path from a dialog or widget in the file system's own encoding.
std::string NativePath(const QString& path);

class FolderBrowser : public QObject {
  Q_OBJECT
 public:
  // Creates `tvBrowse` and `lstFiles` as children of `parent`, showing the user's home folder.
  explicit FolderBrowser(QWidget* parent);
  ~FolderBrowser() override;

  QTreeView* Tree() const { return tree_; }
  QListWidget* Files() const { return files_; }

  // Shows `folder` in the tree and its TIFF files in the list (as a pick in the tree does).
  void SetFolder(const QString& folder);
  QString Folder() const { return folder_; }
  // The folder as the file system names it (the bytes of its path).
  std::string FolderPath() const;
  const std::vector<std::string>& FileNames() const { return names_; }
  // Why the folder could not be listed ("" when it could).
  const QString& ListError() const { return error_; }

 signals:
  void FolderChanged();

 private:
  void Fill(const QString& folder);

  std::unique_ptr<PlainIconProvider> icons_;  // outlives the model, which holds no ownership
  QFileSystemModel* model_;
  QTreeView* tree_;
  QListWidget* files_;
  QString folder_;
  QString error_;
  std::vector<std::string> names_;
  bool selecting_ = false;
};

}  // namespace lumetrix::series
