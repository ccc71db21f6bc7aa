#include "scripting/frm_options.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>

#include "scripting/color_value.h"
#include "scripting/script_view.h"
#include "scripting/vb_lexer.h"
#include "tests/scripting/editor_fixture.h"

namespace lumetrix {
namespace {

using scripting::ColorTable;

class OptionsTest : public testing::EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    options.reset(editor->CreateOptionsWindow());
    options->SetColorPicker([this](const QColor&) { return picked; });
  }
  QColor Swatch(QLabel* label) const { return label->palette().color(QPalette::Window); }
  long StyleBack(int style) const {
    return View()->SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, static_cast<unsigned long>(style));
  }
  long StyleFore(int style) const {
    return View()->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, static_cast<unsigned long>(style));
  }

  std::unique_ptr<frmOptions> options;
  std::optional<QColor> picked;
};

TEST_F(OptionsTest, CaptionsTabsAndControls) {
  EXPECT_EQ(options->windowTitle(), "Prefrences");
  ASSERT_EQ(options->tbrOptions->count(), 2);
  EXPECT_EQ(options->tbrOptions->tabText(0), "&Editor");
  EXPECT_EQ(options->tbrOptions->tabData(0).toString(), "Misc");
  EXPECT_EQ(options->tbrOptions->tabToolTip(0), "Editor Options");
  EXPECT_EQ(options->tbrOptions->tabText(1), "&Color");
  EXPECT_EQ(options->tbrOptions->tabToolTip(1), "Color Options");
  EXPECT_EQ(options->chkHSplit->text(), "   Allow Horizontal Splitting");
  EXPECT_EQ(options->chkCase->text(), "   Fix Case While Typing Languages");
  EXPECT_EQ(options->chkWhiteSpaces->text(), "   Display White Spaces");
  EXPECT_EQ(options->fraLineNo->title(), "Line Numbering");
  EXPECT_EQ(options->cmbLStyle->count(), 4);
  EXPECT_EQ(options->cmbLStyle->itemText(2), "Hexadecimal");
  ASSERT_EQ(options->lstColor->count(), 17);
  EXPECT_EQ(options->lstColor->item(0)->text(), "Comments");
  EXPECT_EQ(options->lstColor->item(16)->text(), "Window");
  EXPECT_EQ(options->cmbStyle->itemText(3), "Bold + Italic");
  EXPECT_EQ(options->cmdOk->text(), "&OK");
  EXPECT_EQ(options->cmdApply->text(), "&Apply");
}

TEST_F(OptionsTest, TabsShowTheirPages) {
  options->show();
  EXPECT_TRUE(options->pageEditor->isVisible());
  EXPECT_FALSE(options->pageColor->isVisible());
  options->tbrOptions->setCurrentIndex(1);
  EXPECT_FALSE(options->pageEditor->isVisible());
  EXPECT_TRUE(options->pageColor->isVisible());
}

TEST_F(OptionsTest, LoadsTheStoredSwitchesAndLineNumberingEnablesItsFrame) {
  settings.Put("Settings", "LineNum", "0");
  settings.Put("Settings", "LineNumStyle", "8");
  settings.Put("Settings", "WhiteSpace", "1");
  options.reset(editor->CreateOptionsWindow());
  EXPECT_FALSE(options->chkLineNo->isChecked());
  EXPECT_TRUE(options->chkWhiteSpaces->isChecked());
  EXPECT_EQ(options->cmbLStyle->currentText(), "Octal");
  EXPECT_FALSE(options->fraLineNo->isEnabled());
  EXPECT_FALSE(options->cmbLStyle->isEnabled());
  options->chkLineNo->click();
  EXPECT_TRUE(options->fraLineNo->isEnabled());
  EXPECT_TRUE(options->cmbLStyle->isEnabled());
}

TEST_F(OptionsTest, DefaultSwatchesOfCommentsAndKeywords) {
  options->show();
  options->tbrOptions->setCurrentIndex(1);
  options->lstColor->setCurrentRow(0);  // Comments
  EXPECT_EQ(Swatch(options->lblTextColor), QColor(0, 128, 0));
  EXPECT_EQ(Swatch(options->lblBackGround), QColor(255, 255, 255));
  EXPECT_FALSE(options->cmbStyle->isVisible());
  options->lstColor->setCurrentRow(4);  // Keywords
  EXPECT_EQ(Swatch(options->lblTextColor), QColor(0, 0, 255));
  EXPECT_EQ(Swatch(options->lblBackGround), QColor(255, 255, 255));
  EXPECT_EQ(options->cmbStyle->currentText(), "Normal");
  EXPECT_TRUE(options->cmbStyle->isVisible());
}

TEST_F(OptionsTest, WhoIsVisibleByListPosition) {
  options->show();
  options->tbrOptions->setCurrentIndex(1);
  auto shown = [this] {
    return std::tuple(options->cmdTextColor->isVisible(), options->cmdBackground->isVisible(),
                      options->cmbStyle->isVisible(), options->lblBackGround->isVisible(), options->lblStyle->isVisible());
  };
  for (int position : {1, 2, 3, 5, 16}) {
    options->WhoIsVisible(position);
    EXPECT_EQ(shown(), std::tuple(true, false, false, false, false)) << position;
  }
  options->WhoIsVisible(0);
  EXPECT_EQ(shown(), std::tuple(true, true, false, true, false));
  for (int position : {-1, 4, 6, 7, 15}) {
    options->WhoIsVisible(position);
    EXPECT_EQ(shown(), std::tuple(true, true, true, true, true)) << position;
  }
}

TEST_F(OptionsTest, ApplyStoresHexadecimalAndTheEditorShowsItAtOnce) {
  editor->show();
  editor->SetScriptText(QString("x\n").repeated(40));
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(9), "10");
  options->cmbLStyle->setCurrentText("Hexadecimal");
  options->cmdApply->click();
  EXPECT_EQ(settings.Get("Settings", "LineNumStyle").toString(), "16");
  EXPECT_EQ(View()->LineNumberShown(9), "A");
  EXPECT_EQ(View()->LineNumberShown(0), "1");
  EXPECT_EQ(editor->PreferencesInUse().LineNumStyle, 16);
}

TEST_F(OptionsTest, WindowColourIsStoredAsItem17TextAndChangesTheBackground) {
  EXPECT_EQ(StyleBack(QsciScintillaBase::STYLE_DEFAULT), 0xFFFFFF);
  options->lstColor->setCurrentRow(16);
  picked = QColor(10, 20, 30);
  options->cmdTextColor->click();
  EXPECT_EQ(Swatch(options->lblTextColor), QColor(10, 20, 30));
  options->cmdApply->click();
  EXPECT_EQ(settings.Get("Colors", "clr17fr").toString(), QString::number(10 | (20 << 8) | (30 << 16)));
  EXPECT_EQ(StyleBack(QsciScintillaBase::STYLE_DEFAULT), 10 | (20 << 8) | (30 << 16));
}

TEST_F(OptionsTest, KeywordColourAndStyleReachTheEditor) {
  options->lstColor->setCurrentRow(4);  // Keywords
  picked = QColor(255, 0, 0);
  options->cmdTextColor->click();
  picked = QColor(0, 0, 0);
  options->cmdBackground->click();
  options->cmbStyle->setCurrentIndex(1);
  emit options->cmbStyle->activated(1);
  options->cmdApply->click();
  EXPECT_EQ(settings.Get("Colors", "clr5fnt").toString(), "1");
  EXPECT_EQ(StyleFore(scripting::kVbKeyword), 0x0000FF);
  EXPECT_EQ(StyleBack(scripting::kVbKeyword), 0);
  EXPECT_TRUE(View()->Lexer()->font(scripting::kVbKeyword).bold());
  // The control takes the weight of the font (QScintilla passes it negated).
  EXPECT_EQ(std::abs(View()->SendScintilla(QsciScintillaBase::SCI_STYLEGETWEIGHT,
                                           static_cast<unsigned long>(scripting::kVbKeyword))), 700);
  EXPECT_FALSE(View()->Lexer()->font(scripting::kVbNumber).bold());
}

TEST_F(OptionsTest, OkWithoutApplyLeavesTheSettingsAlone) {
  options->chkWhiteSpaces->setChecked(true);
  options->lstColor->setCurrentRow(4);
  picked = QColor(255, 0, 0);
  options->cmdTextColor->click();
  options->cmdOk->click();
  EXPECT_FALSE(settings.Get("Settings", "WhiteSpace").isValid());
  EXPECT_FALSE(settings.Get("Colors", "clr5fr").isValid());
  EXPECT_EQ(options->result(), QDialog::Accepted);
  // The in-memory table keeps the change until the editor re-reads the settings.
  EXPECT_EQ(editor->ColorTableInUse().Item(5).text, 255);
  editor->initColor();
  EXPECT_EQ(editor->ColorTableInUse().Item(5).text, 16711680);
}

TEST_F(OptionsTest, WithNothingSelectedTheButtonsActOnItem0) {
  EXPECT_EQ(options->lstColor->currentRow(), -1);
  EXPECT_EQ(options->SelectedItem(), 0);
  picked = QColor(1, 2, 3);
  options->cmdBackground->click();
  EXPECT_EQ(editor->ColorTableInUse().Item(0).background, 1 | (2 << 8) | (3 << 16));
  EXPECT_EQ(editor->ColorTableInUse().Item(1).background, 16777215);
}

TEST_F(OptionsTest, ACancelledPickerChangesNothing) {
  options->lstColor->setCurrentRow(0);
  picked.reset();
  options->cmdTextColor->click();
  options->cmdBackground->click();
  EXPECT_EQ(editor->ColorTableInUse().Item(1), ColorTable::DefaultItem(1));
  EXPECT_EQ(Swatch(options->lblTextColor), QColor(0, 128, 0));
}

TEST_F(OptionsTest, ApplyWritesAllSevenSwitchesAndAllColours) {
  options->chkHSplit->setChecked(false);
  options->chkCase->setChecked(false);
  options->cmdApply->click();
  for (const char* key : {"HSplit", "VSplit", "LToolTips", "lineCase", "LineNum", "LineNumStyle", "WhiteSpace"})
    EXPECT_TRUE(settings.Get("Settings", key).isValid()) << key;
  EXPECT_EQ(settings.Get("Settings", "HSplit").toString(), "0");
  EXPECT_EQ(settings.Get("Settings", "lineCase").toString(), "0");
  for (int i = 0; i < 18; ++i)
    for (const char* suffix : {"fr", "bg", "fnt"})
      EXPECT_TRUE(settings.Get("Colors", QString("clr%1%2").arg(i).arg(suffix)).isValid()) << i << suffix;
  EXPECT_FALSE(editor->PreferencesInUse().HSplit);
  EXPECT_FALSE(View()->Options().caseFixing);
}

}  // namespace
}  // namespace lumetrix
