#pragma once
// "Preferences": the editing control's switches (Editor page) and its syntax colours (Color
// page). Apply stores them and has the editor apply them at once; OK only closes.

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

#include "scripting/color_table.h"
#include "scripting/editor_preferences.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSettings;
class QStackedWidget;
class QTabBar;
class QWidget;

namespace lumetrix {

class frmOptions : public QDialog {
  Q_OBJECT
 public:
  using SettingsFactory = std::function<std::unique_ptr<QSettings>()>;
  // Picks a colour starting from the given one; nothing when cancelled.
  using ColorPicker = std::function<std::optional<QColor>(const QColor& initial)>;

  // `table` is the editor's colour table in memory, edited in place; `apply` has the editor
  // re-read and apply the stored values.
  frmOptions(scripting::ColorTable* table, SettingsFactory settings, std::function<void()> apply,
             QWidget* parent = nullptr);

  void SetColorPicker(ColorPicker picker) { picker_ = std::move(picker); }

  // Shows the colour controls that the item at list position `listPosition` has.
  void WhoIsVisible(int listPosition);
  void One();    // text colour only
  void Two();    // text colour and background
  void Three();  // text colour, background and style

  // The item the colour controls act on: list position + 1 (0 with nothing selected).
  int SelectedItem() const;

  void cmdApply_Click();
  void cmdOk_Click();
  void cmdTextColor_Click();
  void cmdBackground_Click();

  QTabBar* tbrOptions = nullptr;
  QWidget* pageEditor = nullptr;
  QWidget* pageColor = nullptr;
  QStackedWidget* pages_ = nullptr;
  QCheckBox* chkHSplit = nullptr;
  QCheckBox* chkVSplit = nullptr;
  QCheckBox* chkLTooltips = nullptr;
  QCheckBox* chkCase = nullptr;
  QCheckBox* chkLineNo = nullptr;
  QCheckBox* chkWhiteSpaces = nullptr;
  QGroupBox* fraLineNo = nullptr;
  QLabel* lblLStyle = nullptr;
  QComboBox* cmbLStyle = nullptr;
  QListWidget* lstColor = nullptr;
  QPushButton* cmdTextColor = nullptr;
  QPushButton* cmdBackground = nullptr;
  QLabel* lblTextColor = nullptr;
  QLabel* lblBackGround = nullptr;
  QLabel* lblStyle = nullptr;
  QComboBox* cmbStyle = nullptr;
  QPushButton* cmdOk = nullptr;
  QPushButton* cmdApply = nullptr;

 private:
  void ShowPage(int tab);
  void UpdateLineNumberFrame();
  void ShowItem();
  void Swatch(QLabel* label, int32_t color);

  scripting::ColorTable* table_;
  SettingsFactory settings_;
  std::function<void()> apply_;
  ColorPicker picker_;
};

}  // namespace lumetrix
