// The "Convert Tiff Series" window through its controls. (The list operations themselves are
// tested on the list model; the joining on the converter.)

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QTreeView>
#include <QListWidget>
#include <QPushButton>

#include "export/series/folder_browser.h"
#include "export/series/frm_import_tiff_series.h"
#include "export/series/image_preview.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using namespace testing;

class ImportWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i) WriteGrey(dir.File(std::string("s").append(std::to_string(i)).append(".tif")), 5, 3, [i](int, int) { return 10 + i; });
    WriteGrey(dir.File("UPPER.TIF"), 5, 3, [](int, int) { return 99; });
    WriteText(dir.File("notes.txt"), "x");
    window.SetMessageSink([this](const QString& text) { messages << text; });
    window.SetSaveFileChooser([this] {
      ++save_dialogs;
      return save_answer;
    });
    window.SetFolder(QString::fromStdString(dir.path().string()));
  }
  QListWidget* List(const char* name) { return window.findChild<QListWidget*>(name); }
  void Click(const char* name) {
    QPushButton* button = window.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
  }
  QStringList Texts(const char* name) {
    QStringList texts;
    for (int i = 0; i < List(name)->count(); ++i) texts << List(name)->item(i)->text();
    return texts;
  }
  void Select(const char* name, std::initializer_list<int> rows) {
    List(name)->clearSelection();
    for (int r : rows) List(name)->item(r)->setSelected(true);
  }
  ImagePreview* Preview() { return window.findChild<ImagePreview*>("imS"); }

  TempDir dir;
  frmImportTiffSeries window;
  QStringList messages;
  QString save_answer;
  int save_dialogs = 0;
};

TEST_F(ImportWindow, TheFolderFillsTheFileAndSourceListsAndThePreviewShowsTheFirstSelected) {
  EXPECT_EQ(frmImportTiffSeries().Folder(), QDir::homePath());  // a new window starts at home
  const QStringList expected{"s0.tif", "s1.tif", "s2.tif", "s3.tif", "UPPER.TIF"};
  EXPECT_EQ(Texts("lstFiles"), expected);
  EXPECT_EQ(Texts("lstMulti1"), expected);
  EXPECT_EQ(window.Folder().toStdString(), dir.path().string());
  EXPECT_EQ(List("lstMulti1")->selectionMode(), QAbstractItemView::ExtendedSelection);
  Select("lstMulti1", {2, 3});
  ASSERT_TRUE(Preview()->HasImage());
  EXPECT_EQ(qGray(Preview()->Image().pixel(0, 0)), 12);
  List("lstMulti1")->clearSelection();
  EXPECT_FALSE(Preview()->HasImage());
  Click("btnSelectAll1");
  ASSERT_TRUE(Preview()->HasImage());
  EXPECT_EQ(qGray(Preview()->Image().pixel(0, 0)), 10);
  Click("btnMoveItems");  // deselects the source list
  EXPECT_FALSE(Preview()->HasImage());
  WriteText(dir.File("aaa.tif"), "not an image");
  window.SetFolder(QString::fromStdString(dir.path().string()));
  Select("lstMulti1", {0});
  EXPECT_FALSE(Preview()->HasImage());
  EXPECT_TRUE(Preview()->toolTip().contains("aaa.tif")) << Preview()->toolTip().toStdString();
}

// Each button does its part of the list: copy, up, down, remove, select all, clear.
TEST_F(ImportWindow, TheButtonsEditTheSeriesList) {
  Select("lstMulti1", {0, 2});
  Click("btnMoveItems");
  Select("lstMulti1", {1});
  Click("btnMoveItems");
  EXPECT_EQ(Texts("lstMulti2"), (QStringList{"s0.tif", "s2.tif", "s1.tif"}));
  EXPECT_TRUE(List("lstMulti1")->selectedItems().isEmpty());
  List("lstMulti2")->setCurrentRow(1);
  Click("cmdUp");
  EXPECT_EQ(Texts("lstMulti2"), (QStringList{"s2.tif", "s0.tif", "s1.tif"}));
  EXPECT_EQ(List("lstMulti2")->currentRow(), 0);
  Click("cmdDown");
  Click("cmdDown");
  EXPECT_EQ(Texts("lstMulti2"), (QStringList{"s0.tif", "s1.tif", "s2.tif"}));
  EXPECT_EQ(List("lstMulti2")->currentRow(), 2);
  Select("lstMulti2", {0, 1});
  Click("Command1");
  EXPECT_EQ(Texts("lstMulti2"), QStringList{"s2.tif"});
  EXPECT_EQ(window.SeriesList().Count(), 1u);
  for (const auto& [list, all, clear, count] : {std::tuple{"lstMulti2", "btnSelectAll2", "btnClearSelections2", 1},
                                                {"lstMulti1", "btnSelectAll1", "btnClearSelections1", 5}}) {
    Click(all);
    EXPECT_EQ(List(list)->selectedItems().size(), count) << all;
    Click(clear);
    EXPECT_TRUE(List(list)->selectedItems().isEmpty()) << clear;
  }
}

// Convert asks for files first, then for a name (a cancelled dialog writes nothing), and joins
// the series in list order.
TEST_F(ImportWindow, ConvertJoinsTheSeriesInListOrder) {
  Click("cmdConvert");
  EXPECT_EQ(std::tuple(messages, save_dialogs), std::tuple(QStringList{"First select the files"}, 0));
  messages.clear();
  Select("lstMulti1", {3});
  Click("btnMoveItems");
  Select("lstMulti1", {0, 4});
  Click("btnMoveItems");
  Click("cmdConvert");
  EXPECT_EQ(save_dialogs, 1);
  EXPECT_FALSE(Exists(dir.File("out.tif")));
  save_answer = QString::fromStdString(dir.File("out.tif"));
  Click("cmdConvert");
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  const auto pages = ReadPages(dir.File("out.tif"));
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(std::tuple(pages[0].At(0, 0, 0), pages[1].At(0, 0, 1), pages[2].At(0, 0, 2), pages[2].Samples),
            std::tuple(13, 10, 99, 3));
}

// The series list keeps its names when another folder is shown, and they are taken from it.
TEST_F(ImportWindow, SeriesNamesFollowTheFolderShown) {
  Select("lstMulti1", {1});
  Click("btnMoveItems");
  TempDir other;
  WriteGrey(other.File("s1.tif"), 5, 3, [](int, int) { return 200; });
  window.SetFolder(QString::fromStdString(other.path().string()));
  EXPECT_EQ(std::tuple(Texts("lstMulti1"), Texts("lstMulti2")), std::tuple(QStringList{"s1.tif"}, QStringList{"s1.tif"}));
  ASSERT_TRUE(window.saveTIF(QString::fromStdString(other.File("out.tif"))));
  EXPECT_EQ(ReadPages(other.File("out.tif")).at(0).At(0, 0, 0), 200);
}

// A file that cannot be read is named and nothing is written; saving over a source is refused.
TEST_F(ImportWindow, ProblemsAreShownAndNothingIsWritten) {
  WriteText(dir.File("broken.tif"), "not an image");
  window.SetFolder(QString::fromStdString(dir.path().string()));
  Click("btnSelectAll1");
  Click("btnMoveItems");
  save_answer = QString::fromStdString(dir.File("out.tif"));
  Click("cmdConvert");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("broken.tif")) << messages[0].toStdString();
  EXPECT_FALSE(Exists(dir.File("out.tif")));
  const std::string before = ReadText(dir.File("s1.tif"));
  EXPECT_FALSE(window.saveTIF(QString::fromStdString(dir.File("s1.tif"))));
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].contains("one of the files")) << messages[1].toStdString();
  EXPECT_EQ(ReadText(dir.File("s1.tif")), before);
}

// The folder tree learns what it shows without opening a file: Linux reports every open of a file
// in the watched folder, and a file whose name tells nothing about it is what a content sniffer
// would read (on a /proc file such a read can block for good).
TEST(FolderTree, NeverOpensTheFilesOfTheFoldersItShows) {
  TempDir folder;
  WriteText(folder.File("status"), "State: R (running)\n");
  QDir(QString::fromStdString(folder.path().string())).mkdir("sub");
  const int watch = inotify_init1(IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, folder.path().c_str(), IN_OPEN | IN_ACCESS), 0);
  QWidget parent;
  FolderBrowser browser(&parent);
  auto* model = qobject_cast<QFileSystemModel*>(browser.Tree()->model());
  const QString path = QString::fromStdString(folder.path().string());
  bool loaded = false;
  QObject::connect(model, &QFileSystemModel::directoryLoaded, [&](const QString& p) { loaded |= p == path; });
  browser.SetFolder(path);
  while (!loaded) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_EQ(model->type(model->index(path + "/sub")), "Folder");  // asks the provider the tree uses
  alignas(inotify_event) char events[4096];
  const ssize_t n = read(watch, events, sizeof events);
  for (ssize_t at = 0; at < n;) {
    const auto* e = reinterpret_cast<const inotify_event*>(events + at);
    EXPECT_TRUE(e->mask & IN_ISDIR) << "opened: " << (e->len ? e->name : "");
    at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
  }
  close(watch);
}

}  // namespace
}  // namespace lumetrix::series
