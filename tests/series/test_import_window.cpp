// The "Convert Tiff Series" window through its controls.

#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

#include "export/series/frm_import_tiff_series.h"
#include "export/series/image_preview.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using testing::ReadPages;

class ImportWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i) {
      testing::WriteGreyTiff(dir.File(std::string("s").append(std::to_string(i)).append(".tif")), 5, 3,
                             [i](int, int) { return static_cast<uint8_t>(10 + i); });
    }
    testing::WriteGreyTiff(dir.File("UPPER.TIF"), 5, 3, [](int, int) { return 99; });
    testing::WriteBytes(dir.File("notes.txt"), "x");
    window.SetMessageSink([this](const QString& text) { messages << text; });
    window.SetSaveFileChooser([this] {
      ++save_dialogs;
      return save_answer;
    });
    window.SetFolder(QString::fromStdString(dir.Path()));
  }
  QListWidget* List(const char* name) { return window.findChild<QListWidget*>(name); }
  QPushButton* ButtonNamed(const char* name) { return window.findChild<QPushButton*>(name); }
  QStringList Texts(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }
  void Select(QListWidget* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int r : rows) list->item(r)->setSelected(true);
  }
  uint8_t PageValue(const std::string& path, size_t page) { return ReadPages(path).at(page).At(0, 0, 0); }

  testing::TempDir dir;
  frmImportTiffSeries window;
  QStringList messages;
  QString save_answer;
  int save_dialogs = 0;
};

TEST_F(ImportWindow, CaptionsAndControls) {
  EXPECT_EQ(window.windowTitle(), "Convert Tiff Series");
  const std::pair<const char*, const char*> buttons[] = {
      {"btnSelectAll1", "Select All Items"}, {"btnSelectAll2", "Select All Items"},
      {"btnClearSelections1", "Clear Selections"}, {"btnClearSelections2", "Clear Selections"},
      {"btnMoveItems", "Copy Selected >"}, {"cmdDown", "Down"}, {"Command1", "Remove Selected Items"},
      {"cmdConvert", "Convert to 3D TIFF"}, {"cmdClose", "Close"}};
  for (const auto& [name, caption] : buttons) {
    QPushButton* button = ButtonNamed(name);
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->text(), caption);
  }
  ASSERT_NE(ButtonNamed("cmdUp"), nullptr);
  EXPECT_NE(window.findChild<QTreeView*>("tvBrowse"), nullptr);
  EXPECT_NE(window.findChild<ImagePreview*>("imS"), nullptr);
  EXPECT_EQ(List("lstMulti1")->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(ImportWindow, TheFolderFillsTheFileAndSourceLists) {
  const QStringList expected{"s0.tif", "s1.tif", "s2.tif", "s3.tif", "UPPER.TIF"};
  EXPECT_EQ(Texts(List("lstFiles")), expected);
  EXPECT_EQ(Texts(List("lstMulti1")), expected);
  EXPECT_EQ(window.Folder().toStdString(), dir.Path());
}

TEST_F(ImportWindow, StartsAtTheHomeFolder) {
  frmImportTiffSeries fresh;
  EXPECT_EQ(fresh.Folder(), QDir::homePath());
}

TEST_F(ImportWindow, PreviewShowsTheFirstSelectedFileAndNothingWithoutSelection) {
  auto* preview = window.findChild<ImagePreview*>("imS");
  Select(List("lstMulti1"), {2, 3});
  ASSERT_TRUE(preview->HasImage());
  EXPECT_EQ(qGray(preview->Image().pixel(0, 0)), 12);
  List("lstMulti1")->clearSelection();
  EXPECT_FALSE(preview->HasImage());
  ButtonNamed("btnSelectAll1")->click();
  ASSERT_TRUE(preview->HasImage());
  EXPECT_EQ(qGray(preview->Image().pixel(0, 0)), 10);
  ButtonNamed("btnMoveItems")->click();  // deselects the source list
  EXPECT_FALSE(preview->HasImage());
}

TEST_F(ImportWindow, APreviewThatCannotBeReadShowsNothingAndSaysWhy) {
  testing::WriteBytes(dir.File("aaa.tif"), "not an image");
  window.SetFolder(QString::fromStdString(dir.Path()));
  auto* preview = window.findChild<ImagePreview*>("imS");
  Select(List("lstMulti1"), {0});
  EXPECT_FALSE(preview->HasImage());
  EXPECT_TRUE(preview->toolTip().contains("aaa.tif")) << preview->toolTip().toStdString();
}

TEST_F(ImportWindow, CopyTwiceMoveAndRemoveThroughTheButtons) {
  QListWidget* source = List("lstMulti1");
  QListWidget* series = List("lstMulti2");
  Select(source, {0, 2});
  ButtonNamed("btnMoveItems")->click();
  EXPECT_EQ(Texts(series), (QStringList{"s0.tif", "s2.tif"}));
  EXPECT_TRUE(source->selectedItems().isEmpty());
  Select(source, {0, 2});
  ButtonNamed("btnMoveItems")->click();
  EXPECT_EQ(Texts(series), (QStringList{"s0.tif", "s2.tif", "s0.tif", "s2.tif"}));

  series->setCurrentRow(1);
  ButtonNamed("cmdUp")->click();
  EXPECT_EQ(Texts(series), (QStringList{"s2.tif", "s0.tif", "s0.tif", "s2.tif"}));
  EXPECT_EQ(series->currentRow(), 0);
  ButtonNamed("cmdUp")->click();  // already first
  EXPECT_EQ(Texts(series), (QStringList{"s2.tif", "s0.tif", "s0.tif", "s2.tif"}));
  series->setCurrentRow(3);
  ButtonNamed("cmdDown")->click();  // already last
  EXPECT_EQ(series->currentRow(), 3);
  series->setCurrentRow(0);
  ButtonNamed("cmdDown")->click();
  EXPECT_EQ(Texts(series), (QStringList{"s0.tif", "s2.tif", "s0.tif", "s2.tif"}));
  EXPECT_EQ(series->currentRow(), 1);

  Select(series, {1, 2});
  ButtonNamed("Command1")->click();
  EXPECT_EQ(Texts(series), (QStringList{"s0.tif", "s2.tif"}));
  EXPECT_EQ(window.SeriesList().Count(), 2u);

  ButtonNamed("btnSelectAll2")->click();
  EXPECT_EQ(series->selectedItems().size(), 2);
  ButtonNamed("btnClearSelections2")->click();
  EXPECT_TRUE(series->selectedItems().isEmpty());
  ButtonNamed("btnSelectAll1")->click();
  EXPECT_EQ(source->selectedItems().size(), 5);
  ButtonNamed("btnClearSelections1")->click();
  EXPECT_TRUE(source->selectedItems().isEmpty());
}

TEST_F(ImportWindow, ConvertWithAnEmptySeriesAsksForFiles) {
  ButtonNamed("cmdConvert")->click();
  EXPECT_EQ(messages, QStringList{"First select the files"});
  EXPECT_EQ(save_dialogs, 0);
}

TEST_F(ImportWindow, ConvertJoinsTheSeriesInListOrder) {
  Select(List("lstMulti1"), {3});
  ButtonNamed("btnMoveItems")->click();
  Select(List("lstMulti1"), {0, 4});
  ButtonNamed("btnMoveItems")->click();
  save_answer = QString::fromStdString(dir.File("out.tif"));
  ButtonNamed("cmdConvert")->click();
  EXPECT_EQ(save_dialogs, 1);
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  const auto pages = ReadPages(dir.File("out.tif"));
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].At(0, 0, 0), 13);
  EXPECT_EQ(pages[1].At(0, 0, 1), 10);
  EXPECT_EQ(pages[2].At(0, 0, 2), 99);
  EXPECT_EQ(pages[2].Samples, 3);
}

TEST_F(ImportWindow, CancellingTheSaveDialogWritesNothing) {
  Select(List("lstMulti1"), {0});
  ButtonNamed("btnMoveItems")->click();
  save_answer.clear();
  ButtonNamed("cmdConvert")->click();
  EXPECT_EQ(save_dialogs, 1);
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_FALSE(testing::Exists(dir.File("out.tif")));
}

TEST_F(ImportWindow, SeriesNamesFollowTheFolderShown) {
  Select(List("lstMulti1"), {1});
  ButtonNamed("btnMoveItems")->click();
  testing::TempDir other;
  testing::WriteGreyTiff(other.File("s1.tif"), 5, 3, [](int, int) { return 200; });
  window.SetFolder(QString::fromStdString(other.Path()));
  EXPECT_EQ(Texts(List("lstMulti1")), QStringList{"s1.tif"});
  EXPECT_EQ(Texts(List("lstMulti2")), QStringList{"s1.tif"});
  ASSERT_TRUE(window.saveTIF(QString::fromStdString(other.File("out.tif"))));
  EXPECT_EQ(PageValue(other.File("out.tif"), 0), 200);
}

TEST_F(ImportWindow, AFileThatCannotBeReadIsNamedAndNothingIsWritten) {
  testing::WriteBytes(dir.File("broken.tif"), "not an image");
  window.SetFolder(QString::fromStdString(dir.Path()));
  ButtonNamed("btnSelectAll1")->click();
  ButtonNamed("btnMoveItems")->click();
  save_answer = QString::fromStdString(dir.File("out.tif"));
  ButtonNamed("cmdConvert")->click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("broken.tif")) << messages[0].toStdString();
  EXPECT_FALSE(testing::Exists(dir.File("out.tif")));
}

TEST_F(ImportWindow, SavingOverASourceIsRefused) {
  Select(List("lstMulti1"), {0, 1});
  ButtonNamed("btnMoveItems")->click();
  const std::string before = testing::ReadBytes(dir.File("s1.tif"));
  EXPECT_FALSE(window.saveTIF(QString::fromStdString(dir.File("s1.tif"))));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("one of the files")) << messages[0].toStdString();
  EXPECT_EQ(testing::ReadBytes(dir.File("s1.tif")), before);
}

}  // namespace
}  // namespace lumetrix::series
