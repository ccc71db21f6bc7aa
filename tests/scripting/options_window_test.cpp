#include "scripting/frm_options.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "scripting/color_value.h"
#include "scripting/script_view.h"
#include "scripting/vb_lexer.h"
#include "tests/scripting/editor_fixture.h"

namespace lumetrix {
namespace {

class OptionsTest : public testing::EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    options.reset(editor->CreateOptionsWindow());
    options->SetColorPicker([this](const QColor&) { return picked; });
  }
  void Pick(int row, QPushButton* button, std::optional<QColor> colour) {
    if (row >= 0) options->lstColor->setCurrentRow(row);
    picked = colour;
    button->click();
  }
  long Style(int message, int style) const { return View()->SendScintilla(message, static_cast<unsigned long>(style)); }
  std::unique_ptr<frmOptions> options;
  std::optional<QColor> picked;
};

TEST_F(OptionsTest, LoadsTheStoredSwitchesAndLineNumberingEnablesItsFrame) {
  settings.Put("Settings", "LineNum", "0");
  settings.Put("Settings", "LineNumStyle", "8");
  settings.Put("Settings", "WhiteSpace", "1");
  options.reset(editor->CreateOptionsWindow());
  EXPECT_FALSE(options->chkLineNo->isChecked());
  EXPECT_TRUE(options->chkWhiteSpaces->isChecked());
  EXPECT_EQ(options->cmbLStyle->currentText(), "Octal");
  EXPECT_FALSE(options->fraLineNo->isEnabled() || options->cmbLStyle->isEnabled());
  options->chkLineNo->click();
  EXPECT_TRUE(options->fraLineNo->isEnabled() && options->cmbLStyle->isEnabled());
}

TEST_F(OptionsTest, ApplyStoresEverythingAndTheEditorShowsItAtOnce) {
  editor->show();
  editor->SetScriptText(QString("x\n").repeated(40));
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->LineNumberShown(9), "10");
  options->cmbLStyle->setCurrentText("Hexadecimal");
  options->chkCase->setChecked(false);
  Pick(16, options->cmdTextColor, QColor(10, 20, 30));  // the window colour: item 17's text colour
  EXPECT_EQ(options->lblTextColor->palette().color(QPalette::Window), QColor(10, 20, 30));
  Pick(4, options->cmdTextColor, QColor(255, 0, 0));  // keywords
  Pick(4, options->cmdBackground, QColor(0, 0, 0));
  options->cmbStyle->setCurrentIndex(1);
  emit options->cmbStyle->activated(1);
  options->cmdApply->click();
  EXPECT_EQ(View()->LineNumberShown(9), "A");
  EXPECT_FALSE(View()->Options().caseFixing);
  const int window = 10 | (20 << 8) | (30 << 16);
  EXPECT_EQ(Style(QsciScintillaBase::SCI_STYLEGETBACK, QsciScintillaBase::STYLE_DEFAULT), window);
  EXPECT_EQ(Style(QsciScintillaBase::SCI_STYLEGETFORE, scripting::kVbKeyword), 0x0000FF);
  EXPECT_EQ(Style(QsciScintillaBase::SCI_STYLEGETBACK, scripting::kVbKeyword), 0);
  // The control takes the weight of the font (QScintilla passes it negated).
  EXPECT_EQ(std::abs(Style(QsciScintillaBase::SCI_STYLEGETWEIGHT, scripting::kVbKeyword)), 700);
  EXPECT_FALSE(View()->Lexer()->font(scripting::kVbNumber).bold());
  const std::pair<const char*, QString> stored[] = {{"LineNumStyle", "16"}, {"lineCase", "0"}, {"HSplit", "1"},
                                                    {"VSplit", "1"},        {"LToolTips", "1"}, {"LineNum", "1"},
                                                    {"WhiteSpace", "0"}};
  for (const auto& [key, value] : stored) EXPECT_EQ(settings.Get("Settings", key).toString(), value) << key;
  EXPECT_EQ(settings.Get("Colors", "clr17fr").toString(), QString::number(window));
  EXPECT_EQ(settings.Get("Colors", "clr5fnt").toString(), "1");
  for (int i = 0; i < 18; ++i)
    for (const char* suffix : {"fr", "bg", "fnt"})
      EXPECT_TRUE(settings.Get("Colors", QString("clr%1%2").arg(i).arg(suffix)).isValid()) << i << suffix;
}

TEST_F(OptionsTest, OkWithoutApplyLeavesTheSettingsAloneButTheTableKeepsTheChange) {
  options->chkWhiteSpaces->setChecked(true);
  Pick(4, options->cmdTextColor, QColor(255, 0, 0));
  options->cmdOk->click();
  EXPECT_EQ(options->result(), QDialog::Accepted);
  EXPECT_FALSE(settings.Get("Settings", "WhiteSpace").isValid() || settings.Get("Colors", "clr5fr").isValid());
  EXPECT_EQ(editor->ColorTableInUse().Item(5).text, 255);  // until the editor reads the settings again
  editor->initColor();
  EXPECT_EQ(editor->ColorTableInUse().Item(5).text, 16711680);
}

TEST_F(OptionsTest, WithNothingSelectedTheButtonsActOnItem0AndACancelledPickerChangesNothing) {
  EXPECT_EQ(options->SelectedItem(), 0);
  Pick(-1, options->cmdBackground, QColor(1, 2, 3));
  EXPECT_EQ(editor->ColorTableInUse().Item(0).background, 1 | (2 << 8) | (3 << 16));
  EXPECT_EQ(editor->ColorTableInUse().Item(1).background, 16777215);
  Pick(0, options->cmdTextColor, std::nullopt);
  Pick(0, options->cmdBackground, std::nullopt);
  EXPECT_EQ(editor->ColorTableInUse().Item(1), scripting::ColorTable::DefaultItem(1));
  EXPECT_EQ(options->lblTextColor->palette().color(QPalette::Window), QColor(0, 128, 0));  // the comments' green
}

TEST_F(OptionsTest, TheWindowKeepsItsSizeWhenTheColorPageIsFirstShown) {
  options->show();
  const QSize before = options->size();
  options->tbrOptions->setCurrentIndex(1);
  QCoreApplication::processEvents();
  EXPECT_TRUE(options->lstColor->isVisible() && options->size() == before);
}

}  // namespace
}  // namespace lumetrix
