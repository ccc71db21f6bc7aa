#include "export/series/folder_browser.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListWidget>
#include <QStyle>
#include <QTreeView>

#include "export/series/plain_icon_provider.h"
#include "export/series/tiff_folder.h"

namespace lumetrix::series {

std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::string FolderBrowser::FolderPath() const { return NativePath(folder_); }

FolderBrowser::FolderBrowser(QWidget* parent) : QObject(parent) {
  model_ = new QFileSystemModel(this);
  // Icons by kind only: the tree must never read a file (a /proc file can block the reader).
  icons_ = std::make_unique<PlainIconProvider>(parent->style()->standardIcon(QStyle::SP_DirIcon),
                                               parent->style()->standardIcon(QStyle::SP_FileIcon));
  model_->setIconProvider(icons_.get());
  model_->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QDir::rootPath());

  tree_ = new QTreeView(parent);
  tree_->setObjectName("tvBrowse");
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);

  files_ = new QListWidget(parent);
  files_->setObjectName("lstFiles");
  files_->setSelectionMode(QAbstractItemView::SingleSelection);

  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (!selecting_ && current.isValid()) Fill(model_->filePath(current));
  });
  SetFolder(QDir::homePath());
}

FolderBrowser::~FolderBrowser() { delete model_; }  // before the icon provider it uses

void FolderBrowser::SetFolder(const QString& folder) {
  const QModelIndex index = model_->index(folder);
  if (index.isValid()) {
    selecting_ = true;
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    tree_->expand(index);
    selecting_ = false;
  }
  Fill(folder);
}

void FolderBrowser::Fill(const QString& folder) {
  std::string error;
  folder_ = folder;
  names_ = ListTiffFiles(NativePath(folder), &error);
  error_ = QString::fromStdString(error);
  files_->clear();
  for (const std::string& name : names_) files_->addItem(QFile::decodeName(name.c_str()));
  emit FolderChanged();
}

}  // namespace lumetrix::series
