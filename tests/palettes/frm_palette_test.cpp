#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTest>

#include "palettes/pal_file.h"
#include "palettes/palette_catalogue.h"
#include "palettes/stop_file.h"
#include "palettes/ui/colour_swatch.h"
#include "palettes/ui/frm_palette.h"
#include "editor_window_fixture.h"
#include "temp_folder.h"
#include "ui_test_support.h"

namespace lumetrix {
namespace {

using palettes::testing::FolderContents;
using palettes::testing::ReadBytes;
using palettes::testing::WriteBytes;
using testing::Click;
using testing::Items;
using testing::MessageRecorder;

class FrmPaletteTest : public testing::EditorWindowTest<frmPalette> {
 protected:
  FrmPaletteTest() : EditorWindowTest(std::filesystem::path("user") / "palettes") {}

  QColor Pixel(int x) const { return window_->stripImage().pixelColor(x, 13); }
};

TEST_F(FrmPaletteTest, OpensWithTheDefaultGradient) {
  EXPECT_EQ(window_->windowTitle(), "Create Your Own Color Palette");
  EXPECT_TRUE(window_->isModal());
  const QImage strip = window_->stripImage();
  ASSERT_EQ(strip.size(), QSize(400, 27));
  const QColor stops[] = {QColor(0, 0, 0), QColor(255, 0, 0), QColor(255, 128, 0), QColor(255, 255, 0),
                          QColor(0, 192, 0), QColor(128, 255, 128), QColor(0, 0, 255), QColor(128, 128, 255),
                          QColor(255, 0, 255), QColor(128, 128, 128)};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Pixel(40 * i), stops[i]) << i;
  for (int i = 0; i < 11; ++i) EXPECT_TRUE(window_->swatch(i)->bordered());
  EXPECT_EQ(window_->swatch(10)->colour(), QColor(255, 255, 255));
  auto* caption = window_->findChild<QLabel*>("lblCap");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->text(), "Left-click to change color   Right-click to de/activate");
  EXPECT_TRUE(recorder_.messages.empty());
  EXPECT_TRUE(window_->nameBox()->currentText().isEmpty());
}

TEST_F(FrmPaletteTest, RightClickTogglesAndTooFewStopsGivesTheMessage) {
  for (int i = 2; i < 11; ++i) QTest::mouseClick(window_->swatch(i), Qt::RightButton);
  EXPECT_TRUE(recorder_.messages.empty());
  EXPECT_FALSE(window_->swatch(5)->bordered());
  const QImage twoStops = window_->stripImage();
  EXPECT_EQ(twoStops.pixelColor(200, 13), QColor(128, 0, 0));
  QTest::mouseClick(window_->swatch(0), Qt::MiddleButton);
  ASSERT_EQ(recorder_.messages.size(), 1);
  EXPECT_EQ(recorder_.messages[0].title, "Error");
  EXPECT_EQ(recorder_.messages[0].text, "Gradient failed. Must have at least two colors.");
  EXPECT_EQ(recorder_.messages[0].icon, QMessageBox::Warning);
  EXPECT_EQ(window_->stripImage(), twoStops);  // previous picture kept
}

TEST_F(FrmPaletteTest, LeftClickChangesTheColourUnlessCancelled) {
  QColor offered;
  window_->setColorChooser([&](const QColor& initial) {
    offered = initial;
    return QColor(10, 20, 30);
  });
  QTest::mouseClick(window_->swatch(1), Qt::LeftButton);
  EXPECT_EQ(offered, QColor(255, 0, 0));
  EXPECT_EQ(window_->swatch(1)->colour(), QColor(10, 20, 30));
  EXPECT_EQ(Pixel(40), QColor(10, 20, 30));
  window_->setColorChooser([](const QColor&) { return QColor(); });
  QTest::mouseClick(window_->swatch(1), Qt::LeftButton);
  EXPECT_EQ(window_->swatch(1)->colour(), QColor(10, 20, 30));
  EXPECT_TRUE(recorder_.messages.empty());
}

TEST_F(FrmPaletteTest, SaveWithoutNameWritesNothing) {
  Click(window_.get(), "cmdSave");
  Click(window_.get(), "cmdLoad");
  ASSERT_EQ(recorder_.messages.size(), 2);
  EXPECT_EQ(recorder_.messages[0].text, "Choose or type a name first");
  EXPECT_EQ(recorder_.messages[0].title, "Lumetrix");
  EXPECT_FALSE(std::filesystem::exists(folders_.writable));
}

TEST_F(FrmPaletteTest, SavesIntoTheWritableFolderAndListsTheName) {
  SetName("Sunset glow");
  Click(window_.get(), "cmdSave");
  EXPECT_TRUE(recorder_.messages.empty()) << recorder_.messages.value(0).text.toStdString();
  EXPECT_EQ(FolderContents(folders_.writable), (std::vector<std::string>{"Sunset glow.pal", "Sunset glow.plt"}));
  EXPECT_TRUE(FolderContents(folders_.bundled).empty());
  EXPECT_EQ(ReadBytes(folders_.writable / "Sunset glow.pal").size(), 1048u);
  EXPECT_EQ(ReadBytes(folders_.writable / "Sunset glow.plt").size(), 92u);
  EXPECT_EQ(Items(window_->nameBox()), QStringList{"Sunset glow"});
  EXPECT_EQ(window_->nameBox()->currentIndex(), 0);
  // The table is the strip sampled at x = 400 i / 256.
  const auto lut = palettes::ReadPalFile(folders_.writable / "Sunset glow.pal");
  ASSERT_TRUE(lut.has_value());
  for (std::size_t i = 0; i < 256; ++i) {
    const QColor c = Pixel(static_cast<int>(400 * i / 256));
    ASSERT_EQ(lut->Red(i), c.red());
    ASSERT_EQ(lut->Green(i), c.green());
    ASSERT_EQ(lut->Blue(i), c.blue());
  }
  // The Palette menu lists it with the first letter in upper case and the rest lower case.
  palettes::PaletteCatalogue cat;
  const auto order = folders_.SearchOrder();
  cat.LoadLuts(order);
  ASSERT_EQ(cat.Count(), 9);
  EXPECT_EQ(cat.Entries()[8].caption, "Sunset glow");
}

TEST_F(FrmPaletteTest, InvalidNamesAreRefused) {
  for (const char* name : {"../outside", "a/b", "x\\y", "..", "what?", "bad:name"}) {
    recorder_.messages.clear();
    SetName(QString::fromUtf8(name));
    Click(window_.get(), "cmdSave");
    ASSERT_EQ(recorder_.messages.size(), 1) << name;
    EXPECT_EQ(recorder_.messages[0].title, "Lumetrix");
    EXPECT_NE(recorder_.messages[0].text, "Choose or type a name first");
  }
  EXPECT_EQ(FolderContents(root_.Path()), (std::vector<std::string>{"bundled"}));
}

TEST_F(FrmPaletteTest, LoadRestoresStopsIncludingInactiveColours) {
  QTest::mouseClick(window_->swatch(4), Qt::RightButton);
  window_->setColorChooser([](const QColor&) { return QColor(1, 2, 3); });
  QTest::mouseClick(window_->swatch(7), Qt::LeftButton);
  QTest::mouseClick(window_->swatch(7), Qt::RightButton);
  SetName("Saved");
  Click(window_.get(), "cmdSave");
  const QImage saved = window_->stripImage();

  frmPalette other(nullptr, folders_);
  MessageRecorder otherMessages;
  other.setMessageHandler(otherMessages.Handler());
  EXPECT_EQ(Items(other.nameBox()), QStringList{"Saved"});
  other.nameBox()->setEditText("Saved");
  Click(&other, "cmdLoad");
  EXPECT_TRUE(otherMessages.messages.empty());
  EXPECT_EQ(other.stripImage(), saved);
  EXPECT_FALSE(other.swatch(4)->bordered());
  EXPECT_FALSE(other.swatch(7)->bordered());
  EXPECT_EQ(other.swatch(7)->colour(), QColor(1, 2, 3));
  QTest::mouseClick(other.swatch(7), Qt::RightButton);
  EXPECT_TRUE(other.swatch(7)->bordered());
}

TEST_F(FrmPaletteTest, LoadOfMissingOrShortFileChangesNothing) {
  std::filesystem::create_directories(folders_.writable);
  WriteBytes(folders_.writable / "short.plt", std::vector<uint8_t>(91, 0));
  window_->FillFileList();
  const QImage before = window_->stripImage();
  for (const char* name : {"short", "missing", "../short"}) {
    recorder_.messages.clear();
    SetName(name);
    Click(window_.get(), "cmdLoad");
    ASSERT_EQ(recorder_.messages.size(), 1) << name;
    EXPECT_EQ(recorder_.messages[0].title, "Lumetrix");
  }
  EXPECT_EQ(window_->stripImage(), before);
  for (int i = 0; i < 11; ++i) EXPECT_TRUE(window_->swatch(i)->bordered());
}

TEST_F(FrmPaletteTest, ListsBundledStopFilesToo) {
  palettes::StopFile stops;
  stops.colors[0] = 0x0000FF;
  stops.colors[1] = 0xFF0000;
  stops.borders[0] = stops.borders[1] = 1;
  palettes::WriteStopFile(folders_.bundled / "Shipped.plt", stops);
  window_->FillFileList();
  EXPECT_EQ(Items(window_->nameBox()), QStringList{"Shipped"});
  window_->nameBox()->setCurrentIndex(0);
  Click(window_.get(), "cmdLoad");
  EXPECT_TRUE(recorder_.messages.empty());
  EXPECT_EQ(Pixel(0), QColor(255, 0, 0));
  EXPECT_EQ(Pixel(399).blue(), 254);
}

TEST_F(FrmPaletteTest, CloseAcceptsTheDialog) {
  window_->show();
  Click(window_.get(), "cmdClose");
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(window_->result(), QDialog::Accepted);
}

}  // namespace
}  // namespace lumetrix
