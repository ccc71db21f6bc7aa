#pragma once
// The script editor window: the script in a syntax-colouring editing control (rtfText), the
// output pane (txtOut) in which the script host reports runs, menus, toolbar and status bar.
// The main window creates it hidden at start; closing it only hides it until the program ends
// (setQuitRequested(true)), when it asks to save a changed script and stores its placement.

#include <QColor>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

#include "scripting/color_table.h"
#include "scripting/edit_dialogs.h"
#include "scripting/editor_preferences.h"
#include "scripting/script_document.h"
#include "scripting/settings_values.h"

class QAction;
class QLabel;
class QMenu;
class QsciPrinter;
class QSettings;
class QSplitter;
class QTextEdit;
class QTimer;
class QToolBar;

namespace lumetrix {

namespace scripting {
class ScriptView;
}
class frmOptions;
class frmDateTime;

using SettingsFactory = std::function<std::unique_ptr<QSettings>()>;

// The questions and messages of the editor; tests replace them.
struct EditorDialogs {
  std::function<scripting::SaveAnswer(const QString& message)> askSave;
  std::function<QString(const QString& startPath)> chooseOpenPath;  // empty: cancelled
  std::function<QString(const QString& initialPath)> chooseSavePath;
  std::function<void(const QString& message)> showMessage;
};

class frmVBEditor : public QMainWindow {
  Q_OBJECT
 public:
  // `settings` opens the settings store; by default the program's own.
  explicit frmVBEditor(QWidget* parent = nullptr, SettingsFactory settings = {});
  ~frmVBEditor() override;

  // For the script host.
  QString ScriptText() const;
  QString Caption() const;
  void showSyn(const QString& text);
  void SetOutputEmphasis(bool on);
  void SetOutputColor(const QColor& color);
  bool OutputEmphasis() const { return emphasis_; }
  QColor OutputColor() const { return outputColor_; }
  // Marks the line (1-based) of a syntax or run-time error and puts the caret there; 0 clears.
  void HighlightErrorLine(int line);
  void ClearErrorHighlight() { HighlightErrorLine(0); }
  int HighlightedErrorLine() const;
  // Set by the main window when the program ends: closing then really closes.
  void setQuitRequested(bool quitting) { quitRequested_ = quitting; }
  bool quitRequested() const { return quitRequested_; }

  // Public operations of the window.
  bool mnuFileSave_Click();
  bool mnuFileSaveAs_Click();
  void saveOptions();
  void initRTF();
  void initColor();
  static int txtProp(int style);
  void setMenu();

  // File commands (as the menu entries).
  bool NewScript();
  bool OpenScript();
  bool OpenScriptFile(const QString& path);
  bool OpenRecentScript(int index);
  bool ScriptModified() const { return document_.ScriptModified(); }
  const scripting::ScriptDocument& Document() const { return document_; }
  void SetScriptText(const QString& text);  // as if the user had typed it

  // Edit commands on the view that has the focus.
  bool FindText(const scripting::FindRequest& request);
  bool FindNextMatch();
  bool ReplaceCurrent(const scripting::FindRequest& request, const QString& with);
  int ReplaceAll(const scripting::FindRequest& request, const QString& with);
  void GoToLine(int line);  // 1-based
  bool PrintTo(QsciPrinter& printer, bool selectionOnly);

  // The windows of the Preferences and Insert Time and Date entries, owned by this window.
  frmOptions* CreateOptionsWindow();
  frmDateTime* CreateDateTimeWindow();

  void setDialogs(const EditorDialogs& dialogs);

  scripting::ScriptView* rtfText() const { return views_[0]; }
  QTextEdit* txtOut() const { return txtOut_; }
  // The split views sharing rtfText's document: 1 right of it, 2 below.
  scripting::ScriptView* SplitView(int index) const { return views_.at(static_cast<size_t>(index)); }
  scripting::ScriptView* ActiveView() const;
  scripting::ColorTable& ColorTableInUse() { return colors_; }
  const scripting::EditorPreferences& PreferencesInUse() const { return preferences_; }
  QAction* Action(const QString& objectName) const;
  QMenu* EditMenu() const { return mnuEdit_; }
  QLabel* StatusPanel(int index) const;  // 0 text, 1 CAPS, 2 INS, 3 NUM, 4 date, 5 time
  void UpdateStatusBar();

 signals:
  void runScriptRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void BuildViews();
  void RefreshMruMenu();
  void StoreMru();
  void ApplyViewOptions();
  void ApplySplitterColors();
  void SavePlacement();
  void ShowFindDialog();
  void ShowReplaceDialog();
  void ShowGoToDialog();
  void ShowPrintDialog();
  void ShowPreferences();
  void ShowDateTime();
  void OnCaptionChanged(const QString& caption);
  bool RememberFolderOf(bool chosen);
  QAction* AddAction(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& key,
                     void (frmVBEditor::*slot)());

  SettingsFactory settings_;
  EditorDialogs dialogs_;
  scripting::ScriptDocument document_;
  scripting::EditorPreferences preferences_;
  scripting::ColorTable colors_;
  std::array<scripting::ScriptView*, 3> views_{};
  scripting::ScriptView* active_ = nullptr;
  QSplitter* hSplitter_ = nullptr;  // top/bottom views
  QSplitter* vSplitter_ = nullptr;  // left/right views
  QTextEdit* txtOut_ = nullptr;
  QToolBar* tb_ = nullptr;
  QMenu* mnuEdit_ = nullptr;
  std::array<QAction*, scripting::ScriptMru::kSize> mnuFileMRU_{};
  QAction* mruSeparator_ = nullptr;
  std::array<QLabel*, 6> statusPanels_{};
  QTimer* statusTimer_ = nullptr;
  QPointer<frmDateTime> dateTime_;
  scripting::FindRequest lastFind_;
  QString lastReplacement_;
  bool findDone_ = false;
  bool emphasis_ = false;
  QColor outputColor_ = Qt::black;
  bool quitRequested_ = false;
};

}  // namespace lumetrix
