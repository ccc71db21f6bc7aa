// The "Convert Leica Confocal TIFF Series" window through its controls.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <filesystem>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "export/series/frm_cnvrt_leica_tiff.h"
#include "export/series/image_preview.h"
#include "export/series/leica_names.h"
#include "tests/series/series_fixtures.h"

namespace lumetrix::series {
namespace {

using testing::ReadPages;

// Slice z of channel c is uniformly 1 + 10 z + 60 c.
uint8_t SliceValue(int z, int c) { return static_cast<uint8_t>(1 + 10 * z + 60 * c); }

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
  void WriteChannel(const std::string& base, int last, int c) {
    for (int z = 0; z <= last; ++z) {
      testing::WriteGreyTiff(dir.File(LeicaSliceName(base, z, c)), 4, 3, [=](int, int) { return SliceValue(z, c); });
    }
  }
  void Open() { window.SetFolder(QString::fromStdString(dir.Path())); }
  QComboBox* Combo(const QString& name) { return window.findChild<QComboBox*>(name); }
  QCheckBox* Check(const QString& name) { return window.findChild<QCheckBox*>(name); }
  ImagePreview* Preview(int c) { return window.findChild<ImagePreview*>(QString("ImX%1").arg(c)); }
  QPushButton* ButtonNamed(const char* name) { return window.findChild<QPushButton*>(name); }
  QStringList Items(QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    return texts;
  }
  // Red, green, blue of page z at pixel 0,0.
  std::array<int, 3> Rgb(const std::string& path, size_t z) {
    const auto pages = ReadPages(path);
    const auto& page = pages.at(z);
    return {page.At(0, 0, 0), page.At(0, 0, 1), page.At(0, 0, 2)};
  }

  testing::TempDir dir;
  testing::TempDir dest;
  frmCnvrtLeicaTiff window;
  QStringList messages;
  QStringList folder_dialog_initial;
  QString save_answer;
  QString folder_answer;
};

TEST_F(LeicaWindow, CaptionsAndStartValues) {
  EXPECT_EQ(window.windowTitle(), "Convert Leica Confocal TIFF Series");
  for (int c = 0; c < 3; ++c) {
    QCheckBox* check = Check(QString("chkFile%1").arg(c));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), QString("Ch0%1").arg(c + 1));
    QComboBox* colour = Combo(QString("cmbColor%1").arg(c));
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(Items(colour), (QStringList{"Red", "Green", "Blue"}));
    EXPECT_EQ(colour->currentIndex(), c);
    EXPECT_NE(Combo(QString("cmbFile%1").arg(c)), nullptr);
    EXPECT_NE(Preview(c), nullptr);
  }
  EXPECT_EQ(Check("chkLink")->text(), "Link Channel File Selections");
  EXPECT_EQ(ButtonNamed("cmdConvert")->text(), "Save 3D-TIFF");
  EXPECT_EQ(ButtonNamed("cmdConvertAll")->text(), "Save All to 3D-TIFF");
  EXPECT_EQ(ButtonNamed("cmdClose")->text(), "Close");
  EXPECT_NE(window.findChild<QLineEdit*>("txtFile"), nullptr);
  EXPECT_FALSE(window.FillingLists());
  EXPECT_EQ(window.LastDestination(), "");
}

TEST_F(LeicaWindow, SeriesOfTwoChannelsFillTheirListsAndPreviewTheMiddleSlice) {
  WriteChannel("A", 4, 0);
  WriteChannel("A", 4, 1);
  Open();
  EXPECT_EQ(Items(Combo("cmbFile0")), QStringList{"A"});
  EXPECT_EQ(Items(Combo("cmbFile1")), QStringList{"A"});
  EXPECT_TRUE(Items(Combo("cmbFile2")).isEmpty());
  EXPECT_EQ(Preview(0)->toolTip(), "Slice Z=2 of 4");
  EXPECT_EQ(Preview(1)->toolTip(), "Slice Z=2 of 4");
  ASSERT_TRUE(Preview(0)->HasImage());
  EXPECT_EQ(qGray(Preview(0)->Image().pixel(0, 0)), SliceValue(2, 0));
  EXPECT_EQ(qGray(Preview(1)->Image().pixel(0, 0)), SliceValue(2, 1));
  EXPECT_FALSE(Preview(2)->HasImage());
  EXPECT_TRUE(window.findChild<QLineEdit*>("txtFile")->text().contains("A_z002_ch00.tif"));
  EXPECT_FALSE(window.FillingLists());
}

TEST_F(LeicaWindow, SaveWritesOnePagePerSliceWithTheColourChoices) {
  WriteChannel("A", 4, 0);
  WriteChannel("A", 4, 1);
  WriteChannel("A", 4, 2);
  Open();
  save_answer = QString::fromStdString(dest.File("A.tif"));
  ButtonNamed("cmdConvert")->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  ASSERT_EQ(ReadPages(dest.File("A.tif")).size(), 5u);
  EXPECT_EQ(Rgb(dest.File("A.tif"), 3), (std::array<int, 3>{SliceValue(3, 0), SliceValue(3, 1), SliceValue(3, 2)}));

  Combo("cmbColor0")->setCurrentIndex(1);  // red from "Green", channel 1
  Check("chkFile2")->setChecked(false);
  ButtonNamed("cmdConvert")->click();
  EXPECT_EQ(Rgb(dest.File("A.tif"), 4), (std::array<int, 3>{SliceValue(4, 1), SliceValue(4, 1), 0}));
}

TEST_F(LeicaWindow, CancellingTheSaveDialogWritesNothing) {
  WriteChannel("A", 2, 0);
  Open();
  ButtonNamed("cmdConvert")->click();
  EXPECT_TRUE(dest.Entries().empty());
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_TRUE(window.isEnabled());
}

TEST_F(LeicaWindow, SaveAllWritesEverySeriesAndRemembersTheFolder) {
  WriteChannel("A", 2, 0);
  WriteChannel("B", 3, 0);
  WriteChannel("B", 3, 1);
  WriteChannel("OnlyGreen", 1, 1);
  Open();
  folder_answer = QString::fromStdString(dest.Path());
  ButtonNamed("cmdConvertAll")->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  EXPECT_EQ(dest.Entries(), (std::vector<std::string>{"A.tif", "B.tif", "OnlyGreen.tif"}));
  EXPECT_EQ(ReadPages(dest.File("A.tif")).size(), 3u);
  EXPECT_EQ(Rgb(dest.File("OnlyGreen.tif"), 1), (std::array<int, 3>{0, SliceValue(1, 1), 0}));
  EXPECT_EQ(ReadPages(dest.File("B.tif")).size(), 4u);
  EXPECT_EQ(Rgb(dest.File("B.tif"), 2), (std::array<int, 3>{SliceValue(2, 0), SliceValue(2, 1), 0}));
  EXPECT_EQ(window.LastDestination(), folder_answer);

  folder_answer.clear();  // cancelled: the last destination stays
  ButtonNamed("cmdConvertAll")->click();
  EXPECT_EQ(folder_dialog_initial, (QStringList{"", QString::fromStdString(dest.Path())}));
  EXPECT_EQ(window.LastDestination().toStdString(), dest.Path());
}

TEST_F(LeicaWindow, WithoutChannelZeroFilesTheFirstListWithSeriesIsConverted) {
  WriteChannel("G", 2, 1);
  WriteChannel("G", 2, 2);
  Open();
  EXPECT_EQ(Combo("cmbFile0")->count(), 0);
  save_answer = QString::fromStdString(dest.File("G.tif"));
  ButtonNamed("cmdConvert")->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  EXPECT_EQ(Rgb(dest.File("G.tif"), 2), (std::array<int, 3>{0, SliceValue(2, 1), SliceValue(2, 2)}));
}

TEST_F(LeicaWindow, SaveAllReportsProblemsOnceAndGoesOn) {
  WriteChannel("A", 2, 0);
  WriteChannel("B", 2, 0);
  testing::WriteGreyTiff(dir.File("A_z001_ch00.tif"), 9, 9, [](int, int) { return 1; });
  Open();
  folder_answer = QString::fromStdString(dest.Path());
  ButtonNamed("cmdConvertAll")->click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("1 of 2 series written")) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("A_z001_ch00.tif is 9 x 9 pixels")) << messages[0].toStdString();
  EXPECT_EQ(dest.Entries(), std::vector<std::string>{"B.tif"});
}

TEST_F(LeicaWindow, SaveAllToAMissingFolderWritesNothingSilently) {
  WriteChannel("A", 2, 0);
  Open();
  folder_answer = QString::fromStdString(dest.File("gone"));
  ButtonNamed("cmdConvertAll")->click();
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_TRUE(dest.Entries().empty());
}

TEST_F(LeicaWindow, LinkedListsFollowTheSeriesChosen) {
  WriteChannel("A", 2, 0);
  WriteChannel("A", 2, 1);
  WriteChannel("B", 6, 0);
  WriteChannel("B", 6, 1);
  Open();
  Combo("cmbFile0")->setCurrentIndex(1);
  emit Combo("cmbFile0")->activated(1);
  EXPECT_EQ(Preview(0)->toolTip(), "Slice Z=3 of 6");
  EXPECT_EQ(Combo("cmbFile1")->currentText(), "A") << "unlinked: the other list stays";
  EXPECT_EQ(Preview(1)->toolTip(), "Slice Z=1 of 2");

  Check("chkLink")->setChecked(true);
  Combo("cmbFile1")->setCurrentIndex(1);
  emit Combo("cmbFile1")->activated(1);
  EXPECT_EQ(Combo("cmbFile1")->currentText(), "B");
  EXPECT_EQ(Preview(1)->toolTip(), "Slice Z=3 of 6");
  Combo("cmbFile0")->setCurrentIndex(0);
  emit Combo("cmbFile0")->activated(0);
  EXPECT_EQ(Combo("cmbFile1")->currentText(), "A");
  EXPECT_EQ(Preview(1)->toolTip(), "Slice Z=1 of 2");
  EXPECT_TRUE(Combo("cmbFile1")->isEnabled());
}

TEST_F(LeicaWindow, UpperCaseNamesAreNotTheScheme) {
  WriteChannel("A", 1, 0);
  for (const char* name : {"Up_Z000_ch00.tif", "Up_Z001_ch00.tif", "Ext_z000_ch00.TIF", "Ext_z001_ch00.TIF"}) {
    testing::WriteGreyTiff(dir.File(name), 4, 3, [](int, int) { return 5; });
  }
  Open();
  EXPECT_EQ(Items(Combo("cmbFile0")), (QStringList{"A", "Ext.TIF"}));
}

TEST_F(LeicaWindow, AOneSliceSeriesPreviewsAndConvertsItsOnlySlice) {
  WriteChannel("Single", 0, 0);
  Open();
  EXPECT_EQ(Preview(0)->toolTip(), "Slice Z=0 of 0");
  EXPECT_TRUE(Preview(0)->HasImage());
  save_answer = QString::fromStdString(dest.File("Single.tif"));
  ButtonNamed("cmdConvert")->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  EXPECT_EQ(ReadPages(dest.File("Single.tif")).size(), 1u);
}

TEST_F(LeicaWindow, UnreadableSlicesAreReportedOnceAtTheEnd) {
  WriteChannel("A", 3, 0);
  testing::WriteBytes(dir.File("A_z001_ch00.tif"), "junk");
  Open();
  save_answer = QString::fromStdString(dest.File("A.tif"));
  ButtonNamed("cmdConvert")->click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("1 slice could not be read")) << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains("A_z001_ch00.tif"));
  EXPECT_EQ(ReadPages(dest.File("A.tif")).size(), 4u);
  EXPECT_EQ(Rgb(dest.File("A.tif"), 1), (std::array<int, 3>{0, 0, 0}));
}

TEST_F(LeicaWindow, NamesOutsideAsciiWorkInFoldersAndSeries) {
  const std::string sub = dir.File("Probe \xc3\xbc");  // "Probe ü"
  std::filesystem::create_directory(sub);
  for (int z = 0; z < 2; ++z) {
    testing::WriteGreyTiff(sub + "/" + LeicaSliceName("Kern \xc2\xb5m", z, 0), 4, 3, [=](int, int) { return SliceValue(z, 0); });
  }
  window.SetFolder(QString::fromUtf8(sub.c_str()));
  EXPECT_EQ(Items(Combo("cmbFile0")), QStringList{QString::fromUtf8("Kern \xc2\xb5m")});
  EXPECT_TRUE(Preview(0)->HasImage());
  folder_answer = QString::fromUtf8(sub.c_str());
  ButtonNamed("cmdConvertAll")->click();
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  EXPECT_EQ(ReadPages(sub + "/Kern \xc2\xb5m.tif").size(), 2u);
}

TEST_F(LeicaWindow, ChangingTheFolderClearsListsAndPreviews) {
  WriteChannel("A", 2, 0);
  Open();
  ASSERT_TRUE(Preview(0)->HasImage());
  testing::TempDir empty;
  window.SetFolder(QString::fromStdString(empty.Path()));
  EXPECT_EQ(Combo("cmbFile0")->count(), 0);
  EXPECT_FALSE(Preview(0)->HasImage());
  EXPECT_EQ(Preview(0)->toolTip(), "");
  EXPECT_EQ(window.findChild<QLineEdit*>("txtFile")->text(), "");
  ButtonNamed("cmdConvert")->click();  // nothing to convert: no dialog, no message
  EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
}  // namespace lumetrix::series
