// The gradient palette editor as its user sees it: swatches, the strip, messages, files written.

#include <gtest/gtest.h>

#include "palettes/pal_file.h"
#include "palettes/palette_catalogue.h"
#include "palettes/stop_file.h"
#include "palettes/ui/colour_swatch.h"
#include "palettes/ui/frm_palette.h"
#include "tests/palettes/editor_window_fixture.h"

namespace lumetrix {
namespace {

using namespace palettes::testing;

const std::vector<QColor> kOpeningStops = {QColor(0, 0, 0),     QColor(255, 0, 0),     QColor(255, 128, 0), QColor(255, 255, 0),
                                QColor(0, 192, 0),   QColor(128, 255, 128), QColor(0, 0, 255),   QColor(128, 128, 255),
                                QColor(255, 0, 255), QColor(128, 128, 128), QColor(255, 255, 255)};

// A stop file's bytes: colours 0x00BBGGRR, the spare slot, then the active flags.
std::vector<uint8_t> StopBytes(const std::vector<QColor>& colours, uint32_t spare, const std::vector<int>& inactive) {
  std::vector<uint8_t> bytes(92, 0);
  for (std::size_t i = 0; i < 11; ++i) {
    bytes[4 * i] = colours[i].red(), bytes[4 * i + 1] = colours[i].green(), bytes[4 * i + 2] = colours[i].blue();
    bytes[48 + 4 * i] = std::count(inactive.begin(), inactive.end(), static_cast<int>(i)) == 0;
  }
  for (int k = 0; k < 4; ++k) bytes[44 + k] = static_cast<uint8_t>(spare >> (8 * k));
  return bytes;
}

class FrmPaletteTest : public testing::EditorWindowTest<frmPalette> {
 protected:
  FrmPaletteTest() : EditorWindowTest(std::filesystem::path("user") / "palettes") {}
  QColor Pixel(int x) const { return window_->stripImage().pixelColor(x, 13); }
  void ClickStop(int stop, Qt::MouseButton button) { QTest::mouseClick(window_->swatch(stop), button); }
};

TEST_F(FrmPaletteTest, OpensWithTenBandsOfTheElevenStopsAndCloses) {
  ASSERT_EQ(window_->stripImage().size(), QSize(400, 27));
  for (int i = 0; i < 11; ++i) {
    if (i < 10) { EXPECT_EQ(Pixel(40 * i), kOpeningStops[i]) << i; }  // where band i starts
    EXPECT_EQ(window_->swatch(i)->colour(), kOpeningStops[i]) << i;
    EXPECT_TRUE(window_->swatch(i)->bordered()) << i;
  }
  window_->show();
  testing::Click(window_.get(), "cmdClose");
  EXPECT_TRUE(!window_->isVisible() && window_->result() == QDialog::Accepted);
}

TEST_F(FrmPaletteTest, ClicksOnStopsChangeColoursAndToggleThem) {
  QColor offered;
  window_->setColorChooser([&](const QColor& initial) { offered = initial; return QColor(10, 20, 30); });
  ClickStop(1, Qt::LeftButton);
  EXPECT_EQ(offered, QColor(255, 0, 0));
  EXPECT_EQ(Pixel(40), QColor(10, 20, 30));
  window_->setColorChooser([](const QColor&) { return QColor(); });  // cancelled
  ClickStop(1, Qt::LeftButton);
  EXPECT_EQ(window_->swatch(1)->colour(), QColor(10, 20, 30));
  for (int i = 2; i < 11; ++i) ClickStop(i, Qt::RightButton);
  EXPECT_FALSE(window_->swatch(5)->bordered());
  const QImage twoStops = window_->stripImage();
  EXPECT_EQ(twoStops.pixelColor(200, 13), QColor(5, 10, 15));  // one band from black
  EXPECT_TRUE(messages_.empty());
  ClickStop(0, Qt::MiddleButton);  // one stop is too few
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Warning);
  EXPECT_EQ(messages_[0].title + ": " + messages_[0].text, "Error: Gradient failed. Must have at least two colors.");
  EXPECT_FALSE(window_->swatch(0)->bordered());
  EXPECT_EQ(window_->stripImage(), twoStops);  // the previous picture stays
}

TEST_F(FrmPaletteTest, SaveWritesStopsAndTableAndTheMenuListsThem) {
  ASSERT_TRUE(Press("cmdSave", "Sunset glow").empty());
  EXPECT_EQ(FolderContents(folders_.writable), (std::vector<std::string>{"Sunset glow.pal", "Sunset glow.plt"}));
  EXPECT_TRUE(FolderContents(folders_.bundled).empty());
  EXPECT_EQ(ReadBytes(folders_.writable / "Sunset glow.plt"), StopBytes(kOpeningStops, 0, {}));
  EXPECT_EQ(testing::Items(window_->nameBox()), QStringList{"Sunset glow"});
  EXPECT_EQ(window_->nameBox()->currentIndex(), 0);
  const auto lut = palettes::ReadPalFile(folders_.writable / "Sunset glow.pal");
  ASSERT_TRUE(lut.has_value());
  EXPECT_EQ(QColor(lut->Red(100), lut->Green(100), lut->Blue(100)), Pixel(156));  // 400 x 100 / 256
  palettes::PaletteCatalogue menu;
  menu.LoadLuts(folders_.SearchOrder());
  EXPECT_TRUE(menu.Count() == 9 && menu.Entries().back().caption == "Sunset glow");
}

TEST_F(FrmPaletteTest, LoadRestoresStopsWithTheColoursOfInactiveOnes) {
  window_->setColorChooser([](const QColor&) { return QColor(1, 2, 3); });
  ClickStop(7, Qt::LeftButton);
  ClickStop(7, Qt::RightButton);
  ClickStop(4, Qt::RightButton);
  ASSERT_TRUE(Press("cmdSave", "Saved").empty());
  std::vector<QColor> colours = kOpeningStops;
  colours[7] = QColor(1, 2, 3);
  EXPECT_EQ(ReadBytes(folders_.writable / "Saved.plt"), StopBytes(colours, 0, {4, 7}));
  const auto other = Open();
  EXPECT_EQ(testing::Items(other->nameBox()), QStringList{"Saved"});
  EXPECT_TRUE(Press("cmdLoad", "Saved", other.get()).empty());
  EXPECT_EQ(other->stripImage(), window_->stripImage());
  EXPECT_FALSE(other->swatch(4)->bordered() || other->swatch(7)->bordered());
  EXPECT_EQ(other->swatch(7)->colour(), QColor(1, 2, 3));
}

TEST_F(FrmPaletteTest, StopFilesFromBothFoldersAndOddOnes) {
  palettes::StopFile shipped, odd;
  shipped.colors[0] = 0x0000FF, shipped.colors[1] = 0xFF0000;
  shipped.borders[0] = shipped.borders[1] = 1;
  palettes::WriteStopFile(folders_.bundled / "Shipped.plt", shipped);
  odd.colors.fill(0xFFFFFFFFu);  // high bytes are masked, any non-zero border is active
  odd.borders.fill(7);
  odd.borders[5] = 0;
  std::filesystem::create_directories(folders_.writable);
  palettes::WriteStopFile(folders_.writable / "odd.plt", odd);
  palettes::testing::WriteBytes(folders_.writable / "short.plt", std::vector<uint8_t>(91, 0));
  window_->FillFileList();
  EXPECT_EQ(testing::Items(window_->nameBox()), (QStringList{"odd", "Shipped", "short"}));
  const QImage before = window_->stripImage();
  for (const char* name : {"short", "missing", "../short"}) EXPECT_EQ(Press("cmdLoad", name).size(), 1) << name;
  EXPECT_EQ(window_->stripImage(), before);
  EXPECT_TRUE(window_->swatch(3)->bordered());
  ASSERT_TRUE(Press("cmdLoad", "Shipped").empty());
  EXPECT_EQ(Pixel(0), QColor(255, 0, 0));
  EXPECT_EQ(Pixel(399), QColor(1, 0, 254));
  ASSERT_TRUE(Press("cmdLoad", "odd").empty());
  EXPECT_FALSE(window_->swatch(5)->bordered());
  EXPECT_EQ(Pixel(100), QColor(255, 255, 255));
  ASSERT_TRUE(Press("cmdSave", "again").empty());
  EXPECT_EQ(ReadBytes(folders_.writable / "again.plt"),
            StopBytes(std::vector<QColor>(11, Qt::white), 0xFFFFFFFFu, {5}));  // the spare slot kept
}

}  // namespace
}  // namespace lumetrix
