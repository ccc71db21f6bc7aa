// The "Convert Leica Confocal TIFF Series" window through its controls. (Names, series and
// conversions are tested without the window.)

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "export/series/frm_cnvrt_leica_tiff.h"
#include "export/series/image_preview.h"
#include "export/series/leica_names.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using namespace testing;
using Rgb = std::array<int, 3>;

// Slice z of channel c is uniformly 1 + 10 z + 60 c.
int SliceValue(int z, int c) { return 1 + 10 * z + 60 * c; }

class LeicaWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    window.SetMessageSink([this](const QString& text) { messages << text; });
    window.SetSaveFileChooser([this] { return save_answer; });
    window.SetFolderChooser([this](const QString& initial) {
      folder_dialog_initial << initial;
      return folder_answer;
    });
  }
  void WriteChannel(const std::string& folder, const std::string& base, int last, int c) {
    for (int z = 0; z <= last; ++z) WriteGrey(folder + "/" + LeicaSliceName(base, z, c), 4, 3, [=](int, int) { return SliceValue(z, c); });
  }
  void WriteChannel(const std::string& base, int last, int c) { WriteChannel(dir.path().string(), base, last, c); }
  void Open() { window.SetFolder(QString::fromStdString(dir.path().string())); }
  QComboBox* Combo(const QString& name) { return window.findChild<QComboBox*>(name); }
  QCheckBox* Check(const QString& name) { return window.findChild<QCheckBox*>(name); }
  ImagePreview* Preview(int c) { return window.findChild<ImagePreview*>(QString("ImX%1").arg(c)); }
  void Click(const char* name) { window.findChild<QPushButton*>(name)->click(); }
  void Choose(int list, int index) {
    Combo(QString("cmbFile%1").arg(list))->setCurrentIndex(index);
    emit Combo(QString("cmbFile%1").arg(list))->activated(index);
  }
  QStringList Items(const QString& name) {
    QStringList texts;
    for (int i = 0; i < Combo(name)->count(); ++i) texts << Combo(name)->itemText(i);
    return texts;
  }
  // Red, green, blue of page z at pixel 0,0.
  Rgb Colours(const std::string& path, size_t z) {
    const Page page = ReadPages(path).at(z);
    return {page.At(0, 0, 0), page.At(0, 0, 1), page.At(0, 0, 2)};
  }

  TempDir dir, dest;
  frmCnvrtLeicaTiff window;
  QStringList messages, folder_dialog_initial;
  QString save_answer, folder_answer;
};

// The colour lists start on red, green, blue; the channel lists fill with their series, and the
// previews show the middle slice (rounded down) of each.
TEST_F(LeicaWindow, ChannelListsFillAndPreviewTheMiddleSlice) {
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Combo(QString("cmbColor%1").arg(c))->currentIndex(), c);
  WriteChannel("A", 3, 0);
  WriteChannel("A", 3, 1);
  Open();
  EXPECT_FALSE(window.FillingLists());
  EXPECT_EQ(std::tuple(Items("cmbFile0"), Items("cmbFile1"), Items("cmbFile2")), std::tuple(QStringList{"A"}, QStringList{"A"}, QStringList{}));
  EXPECT_EQ(std::tuple(Preview(0)->toolTip(), Preview(1)->toolTip()), std::tuple("Slice Z=1 of 3", "Slice Z=1 of 3"));
  ASSERT_TRUE(Preview(0)->HasImage());
  EXPECT_EQ(std::tuple(qGray(Preview(0)->Image().pixel(0, 0)), qGray(Preview(1)->Image().pixel(0, 0))),
            std::tuple(SliceValue(1, 0), SliceValue(1, 1)));
  EXPECT_FALSE(Preview(2)->HasImage());
  EXPECT_TRUE(window.findChild<QLineEdit*>("txtFile")->text().contains("A_z001_ch00.tif"));
  // Another folder clears lists and previews; then there is nothing to convert: no dialog, no message.
  TempDir empty;
  window.SetFolder(QString::fromStdString(empty.path().string()));
  EXPECT_EQ(std::tuple(Combo("cmbFile0")->count(), Preview(0)->HasImage(), Preview(0)->toolTip()), std::tuple(0, false, ""));
  EXPECT_EQ(window.findChild<QLineEdit*>("txtFile")->text(), "");
  Click("cmdConvert");
  EXPECT_TRUE(messages.isEmpty());
}

// Save writes one page per slice with the colour choices and checked channels; a cancelled
// dialog writes nothing.
TEST_F(LeicaWindow, SaveWritesOnePagePerSliceWithTheColourChoices) {
  for (int c = 0; c < 3; ++c) WriteChannel("A", 4, c);
  Open();
  Click("cmdConvert");
  EXPECT_TRUE(Entries(dest).empty());
  EXPECT_TRUE(window.isEnabled());
  save_answer = QString::fromStdString(dest.File("A.tif"));
  Click("cmdConvert");
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  ASSERT_EQ(ReadPages(dest.File("A.tif")).size(), 5u);
  EXPECT_EQ(Colours(dest.File("A.tif"), 3), (Rgb{SliceValue(3, 0), SliceValue(3, 1), SliceValue(3, 2)}));
  Combo("cmbColor0")->setCurrentIndex(1);  // red from "Green", channel 1
  Check("chkFile2")->setChecked(false);
  Click("cmdConvert");
  EXPECT_EQ(Colours(dest.File("A.tif"), 4), (Rgb{SliceValue(4, 1), SliceValue(4, 1), 0}));
}

// Without channel 0 files the first list with series is converted; unreadable slices are
// reported once at the end.
TEST_F(LeicaWindow, TheFirstListWithSeriesIsConvertedAndUnreadableSlicesReported) {
  WriteChannel("G", 2, 1);
  WriteChannel("G", 2, 2);
  WriteText(dir.File("G_z001_ch02.tif"), "junk");
  Open();
  save_answer = QString::fromStdString(dest.File("G.tif"));
  Click("cmdConvert");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("1 slice could not be read")) << messages[0].toStdString();
  EXPECT_EQ(std::tuple(Colours(dest.File("G.tif"), 2), Colours(dest.File("G.tif"), 1)),
            std::tuple(Rgb{0, SliceValue(2, 1), SliceValue(2, 2)}, Rgb{0, SliceValue(1, 1), 0}));
}

// Save All writes every series into the chosen folder (names outside ASCII too), reports
// problems once and goes on, and remembers the folder; a cancelled or missing folder writes nothing.
TEST_F(LeicaWindow, SaveAllWritesEverySeriesAndRemembersTheFolder) {
  WriteChannel("A", 2, 0);
  WriteChannel("B", 3, 0);
  WriteChannel("B", 3, 1);
  WriteChannel("OnlyGreen", 1, 1);
  WriteChannel("Kern \xc2\xb5m", 1, 0);
  WriteChannel("Bad", 2, 0);
  WriteGrey(dir.File("Bad_z001_ch00.tif"), 9, 9, [](int, int) { return 1; });
  Open();
  folder_answer = QString::fromStdString(dest.File("gone"));
  Click("cmdConvertAll");
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_TRUE(Entries(dest).empty());
  const std::string sub = dest.File("Probe \xc3\xbc");
  std::filesystem::create_directory(sub);
  folder_answer = QString::fromUtf8(sub.c_str());
  Click("cmdConvertAll");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("4 of 5 series written")) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("Bad_z001_ch00.tif is 9 x 9 pixels")) << messages[0].toStdString();
  EXPECT_EQ(ReadPages(sub + "/A.tif").size(), 3u);
  EXPECT_EQ(ReadPages(sub + "/Kern \xc2\xb5m.tif").size(), 2u);
  EXPECT_FALSE(Exists(sub + "/Bad.tif"));
  EXPECT_EQ(Colours(sub + "/OnlyGreen.tif", 1), (Rgb{0, SliceValue(1, 1), 0}));
  EXPECT_EQ(Colours(sub + "/B.tif", 2), (Rgb{SliceValue(2, 0), SliceValue(2, 1), 0}));
  EXPECT_EQ(window.LastDestination(), folder_answer);
  folder_answer.clear();  // cancelled: the last destination stays
  Click("cmdConvertAll");
  EXPECT_EQ(folder_dialog_initial, (QStringList{"", QString::fromStdString(dest.File("gone")), QString::fromUtf8(sub.c_str())}));
  EXPECT_EQ(window.LastDestination().toStdString(), sub);
}

// Linked lists follow the series chosen in any of them; unlinked ones stay.
TEST_F(LeicaWindow, LinkedListsFollowTheSeriesChosen) {
  for (int c = 0; c < 2; ++c) WriteChannel("A", 2, c), WriteChannel("B", 6, c);
  Open();
  Choose(0, 1);
  EXPECT_EQ(std::tuple(Preview(0)->toolTip(), Combo("cmbFile1")->currentText(), Preview(1)->toolTip()),
            std::tuple("Slice Z=3 of 6", "A", "Slice Z=1 of 2"));
  Check("chkLink")->setChecked(true);
  Choose(1, 1);
  EXPECT_EQ(std::tuple(Combo("cmbFile1")->currentText(), Preview(1)->toolTip()), std::tuple("B", "Slice Z=3 of 6"));
  Choose(0, 0);
  EXPECT_EQ(std::tuple(Combo("cmbFile1")->currentText(), Preview(1)->toolTip()), std::tuple("A", "Slice Z=1 of 2"));
  EXPECT_TRUE(Combo("cmbFile1")->isEnabled());
}

}  // namespace
}  // namespace lumetrix::series
