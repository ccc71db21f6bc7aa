#include "scripting/frm_vb_editor.h"

#include <Qsci/qsciprinter.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "core/data_folder.h"
#include "scripting/color_value.h"
#include "scripting/drawn_icons.h"
#include "scripting/frm_date_time.h"
#include "scripting/frm_options.h"
#include "scripting/lock_keys.h"
#include "scripting/output_trim.h"
#include "scripting/script_view.h"
#include "scripting/window_placement.h"

namespace lumetrix {

using namespace scripting;

namespace {

// The example scripts installed with the program (<data folder>/scripts), else the home folder.
QString ExampleScriptsOrHome() {
  const auto data = DataFolder(QCoreApplication::applicationDirPath().toStdString());
  const QString examples = QString::fromStdString((data / "scripts").string());
  return QDir(examples).exists() ? examples : QDir::homePath();
}

constexpr int kOutputHeight = 80;  // 1200 twips
const QString kTitle = QStringLiteral("Lumetrix");

// A path shown as a menu caption: "&" would otherwise become a mnemonic.
QString MenuCaption(const QString& path) {
  QString caption = path;
  caption.replace(QLatin1Char('&'), QLatin1String("&&"));
  return caption;
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback, const QWidget* widget) {
  QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
  if (icon.isNull() && fallback != QStyle::SP_CustomBase) icon = widget->style()->standardIcon(fallback);
  if (icon.isNull()) icon = DrawnIcon(QString::fromLatin1(name), widget->palette().color(QPalette::WindowText));
  return icon;
}

}  // namespace

frmVBEditor::frmVBEditor(QWidget* parent, SettingsFactory settings)
    : QMainWindow(parent),
      settings_(settings ? std::move(settings) : SettingsFactory(&OpenProgramSettings)),
      document_(DocumentHooks{
          [this] { return ScriptText(); },
          [this](const QString& text) { rtfText()->setText(text); },
          [this](const QString& message) { return dialogs_.askSave(message); },
          [this](const QString& start) { return dialogs_.chooseOpenPath(start); },
          [this](const QString& initial) { return dialogs_.chooseSavePath(initial); },
          [this](const QString& message) { dialogs_.showMessage(message); },
          [this](const QString& caption) { OnCaptionChanged(caption); },
          [this] { StoreMru(); },
          [this] {
            ClearErrorHighlight();
            for (ScriptView* view : views_) view->setCursorPosition(0, 0);
            // A loaded file keeps its own line ends for the lines typed into it.
            const QString text = ScriptText();
            rtfText()->setEolMode(text.contains(QLatin1String("\r\n")) ? QsciScintilla::EolWindows
                                                                        : QsciScintilla::EolUnix);
            setMenu();
          }}) {
  setObjectName(QStringLiteral("frmVBEditor"));
  dialogs_.askSave = [this](const QString& message) {
    const auto answer = QMessageBox::question(this, kTitle, message,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return SaveAnswer::Yes;
    if (answer == QMessageBox::No) return SaveAnswer::No;
    return SaveAnswer::Cancel;
  };
  const QString filter = QStringLiteral("Script Files (*.scp);;All Files (*)");
  dialogs_.chooseOpenPath = [this, filter](const QString& start) {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Open"), start, filter);
  };
  dialogs_.chooseSavePath = [this, filter](const QString& initial) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), initial, filter);
  };
  dialogs_.showMessage = [this](const QString& message) { QMessageBox::warning(this, kTitle, message); };

  BuildViews();
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  setMinimumSize(kEditorMinimumSize);

  auto store = settings_();
  // Placement: stored in pixels, kept on the screen.
  WindowPlacement placement = WindowPlacement::Load(*store);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    placement = ClampToScreen(placement, screen->availableGeometry());
  move(placement.left, placement.top);
  resize(placement.width, placement.height);

  document_.Mru().Load(*store);
  RefreshMruMenu();
  QString folder = ReadText(*store, kSettingsSection, QStringLiteral("Default Dir"), QString());
  if (folder.isEmpty() || !QDir(folder).exists()) folder = ExampleScriptsOrHome();
  document_.SetDefaultFolder(folder);
  document_.SetDialogFileName(QDir(folder).filePath(kUntitledCaption));
  store.reset();
  OnCaptionChanged(document_.Caption());

  initRTF();
  initColor();
  setMenu();
  UpdateStatusBar();
}

frmVBEditor::~frmVBEditor() = default;

// ---- building ---------------------------------------------------------------------------------

void frmVBEditor::BuildViews() {
  for (size_t i = 0; i < views_.size(); ++i) {
    views_[i] = new ScriptView;
    views_[i]->setObjectName(i == 0 ? QStringLiteral("rtfText") : QStringLiteral("rtfText%1").arg(i));
    if (i > 0) views_[i]->setDocument(views_[0]->document());
    connect(views_[i], &ScriptView::contextMenuWanted, this, [this](const QPoint& at) { mnuEdit_->popup(at); });
    connect(views_[i], &ScriptView::focused, this, [this](ScriptView* view) {
      active_ = view;
      setMenu();
    });
    connect(views_[i], &QsciScintilla::selectionChanged, this, [this] { setMenu(); });
  }
  active_ = views_[0];
  // Only real text changes count; margin and marker changes also raise the control's change signal.
  connect(views_[0], &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int, int type, const char*, int, int, int, int, int, int, int) {
            if (type & (QsciScintillaBase::SC_MOD_INSERTTEXT | QsciScintillaBase::SC_MOD_DELETETEXT)) document_.TextChanged();
          });

  vSplitter_ = new QSplitter(Qt::Horizontal);
  vSplitter_->setObjectName(QStringLiteral("verticalSplit"));
  vSplitter_->addWidget(views_[0]);
  vSplitter_->addWidget(views_[1]);
  hSplitter_ = new QSplitter(Qt::Vertical);
  hSplitter_->setObjectName(QStringLiteral("horizontalSplit"));
  hSplitter_->addWidget(vSplitter_);
  hSplitter_->addWidget(views_[2]);
  for (QSplitter* splitter : {vSplitter_, hSplitter_}) {
    splitter->setChildrenCollapsible(true);
    splitter->setHandleWidth(5);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    // The second view starts folded away; dragging the divider from the edge splits the view.
    splitter->setSizes({1000, 0});
  }

  txtOut_ = new QTextEdit;
  txtOut_->setObjectName(QStringLiteral("txtOut"));
  txtOut_->setReadOnly(true);
  txtOut_->setFixedHeight(kOutputHeight);
  txtOut_->setUndoRedoEnabled(false);
  txtOut_->setAcceptRichText(false);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(hSplitter_, 1);
  layout->addWidget(txtOut_);
  setCentralWidget(central);
}

QAction* frmVBEditor::AddAction(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& key,
                                void (frmVBEditor::*slot)()) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  if (!key.isEmpty()) action->setShortcut(key);
  // Shortcuts of this window only: the main window has its own Ctrl+R, Ctrl+S, ...
  action->setShortcutContext(Qt::WindowShortcut);
  if (slot) connect(action, &QAction::triggered, this, slot);
  return action;
}

void frmVBEditor::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  AddAction(file, QStringLiteral("mnuFileNew"), QStringLiteral("&New"), QKeySequence::New, nullptr);
  connect(Action(QStringLiteral("mnuFileNew")), &QAction::triggered, this, [this] { NewScript(); });
  AddAction(file, QStringLiteral("mnuFileOpen"), QStringLiteral("&Open..."), QKeySequence::Open, nullptr);
  connect(Action(QStringLiteral("mnuFileOpen")), &QAction::triggered, this, [this] { OpenScript(); });
  AddAction(file, QStringLiteral("mnuFileSave"), QStringLiteral("&Save"), QKeySequence::Save, nullptr);
  connect(Action(QStringLiteral("mnuFileSave")), &QAction::triggered, this, [this] { mnuFileSave_Click(); });
  AddAction(file, QStringLiteral("mnuFileSaveAs"), QStringLiteral("Save &As..."),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), nullptr);
  connect(Action(QStringLiteral("mnuFileSaveAs")), &QAction::triggered, this, [this] { mnuFileSaveAs_Click(); });
  AddAction(file, QStringLiteral("mnuFilePrint"), QStringLiteral("&Print"), QKeySequence::Print, &frmVBEditor::ShowPrintDialog);
  mruSeparator_ = file->addSeparator();
  for (int i = 0; i < ScriptMru::kSize; ++i) {
    QAction* entry = AddAction(file, QStringLiteral("mnuFileMRU%1").arg(i), QString(), {}, nullptr);
    connect(entry, &QAction::triggered, this, [this, i] { OpenRecentScript(i); });
    mnuFileMRU_[static_cast<size_t>(i)] = entry;
  }
  file->addSeparator();
  AddAction(file, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"), {}, nullptr);
  connect(Action(QStringLiteral("mnuFileExit")), &QAction::triggered, this, [this] { close(); });

  mnuEdit_ = menuBar()->addMenu(QStringLiteral("&Edit"));
  mnuEdit_->setObjectName(QStringLiteral("mnuEdit"));
  AddAction(mnuEdit_, QStringLiteral("mnuEditUndo"), QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), nullptr);
  connect(Action(QStringLiteral("mnuEditUndo")), &QAction::triggered, this, [this] { ActiveView()->undo(); });
  AddAction(mnuEdit_, QStringLiteral("mnuEditRedo"), QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
            nullptr);
  connect(Action(QStringLiteral("mnuEditRedo")), &QAction::triggered, this, [this] { ActiveView()->redo(); });
  mnuEdit_->addSeparator();
  AddAction(mnuEdit_, QStringLiteral("mnuEditCut"), QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), nullptr);
  connect(Action(QStringLiteral("mnuEditCut")), &QAction::triggered, this, [this] { ActiveView()->cut(); });
  AddAction(mnuEdit_, QStringLiteral("mnuEditCopy"), QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), nullptr);
  connect(Action(QStringLiteral("mnuEditCopy")), &QAction::triggered, this, [this] { ActiveView()->copy(); });
  AddAction(mnuEdit_, QStringLiteral("mnuEditPaste"), QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), nullptr);
  connect(Action(QStringLiteral("mnuEditPaste")), &QAction::triggered, this, [this] { ActiveView()->paste(); });
  AddAction(mnuEdit_, QStringLiteral("mnuEditSelectAll"), QStringLiteral("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A), nullptr);
  connect(Action(QStringLiteral("mnuEditSelectAll")), &QAction::triggered, this, [this] { ActiveView()->selectAll(true); });
  mnuEdit_->addSeparator();
  AddAction(mnuEdit_, QStringLiteral("mnuEditFind"), QStringLiteral("&Find ..."), QKeySequence(Qt::CTRL | Qt::Key_F),
            &frmVBEditor::ShowFindDialog);
  AddAction(mnuEdit_, QStringLiteral("mnuEditFindNext"), QStringLiteral("F&ind Next"), QKeySequence(Qt::Key_F3), nullptr);
  connect(Action(QStringLiteral("mnuEditFindNext")), &QAction::triggered, this, [this] { FindNextMatch(); });
  AddAction(mnuEdit_, QStringLiteral("mnuEditReplace"), QStringLiteral("&Replace ..."), QKeySequence(Qt::CTRL | Qt::Key_H),
            &frmVBEditor::ShowReplaceDialog);
  AddAction(mnuEdit_, QStringLiteral("mnuEditGoTo"), QStringLiteral("Go To .."), QKeySequence(Qt::CTRL | Qt::Key_G),
            &frmVBEditor::ShowGoToDialog);
  mnuEdit_->addSeparator();
  AddAction(mnuEdit_, QStringLiteral("mnuEditPreferences"), QStringLiteral("Pr&eferences..."), {}, &frmVBEditor::ShowPreferences);

  QMenu* run = menuBar()->addMenu(QStringLiteral("&Run"));
  AddAction(run, QStringLiteral("mnuRunScript"), QStringLiteral("&Run Script"), QKeySequence(Qt::Key_F5), nullptr);
  connect(Action(QStringLiteral("mnuRunScript")), &QAction::triggered, this, &frmVBEditor::runScriptRequested);

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  QAction* toolbar = AddAction(view, QStringLiteral("mnuViewToolbar"), QStringLiteral("&Toolbar"), {}, nullptr);
  toolbar->setCheckable(true);
  toolbar->setChecked(true);
  connect(toolbar, &QAction::toggled, this, [this](bool on) { tb_->setVisible(on); });
  QAction* status = AddAction(view, QStringLiteral("mnuViewStatusBar"), QStringLiteral("Status &Bar"), {}, nullptr);
  status->setCheckable(true);
  status->setChecked(true);
  connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
  QAction* white = AddAction(view, QStringLiteral("mnuViewWhiteSpaces"), QStringLiteral("&White Spaces"),
                             QKeySequence(Qt::CTRL | Qt::Key_W), nullptr);
  white->setCheckable(true);
  connect(white, &QAction::triggered, this, [this] { ApplyViewOptions(); });
  // Ctrl+R means "Reset Parameters" in the main window; here, in the editor's own window, it
  // switches the line numbers.
  QAction* numbers = AddAction(view, QStringLiteral("mnuViewLineNumber"), QStringLiteral("Line Numbe&r"),
                               QKeySequence(Qt::CTRL | Qt::Key_R), nullptr);
  numbers->setCheckable(true);
  connect(numbers, &QAction::triggered, this, [this] { ApplyViewOptions(); });

  QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
  AddAction(tools, QStringLiteral("mnuToolsDateTime"), QStringLiteral("Insert &Time and Date..."),
            QKeySequence(Qt::CTRL | Qt::Key_T), &frmVBEditor::ShowDateTime);
}

void frmVBEditor::BuildToolBar() {
  tb_ = addToolBar(QStringLiteral("Toolbar"));
  tb_->setObjectName(QStringLiteral("tb"));
  tb_->setMovable(false);
  tb_->setToolButtonStyle(Qt::ToolButtonIconOnly);  // the words are the tooltips
  struct Button {
    const char* key;
    const char* tip;
    const char* icon;
    QStyle::StandardPixmap fallback;
    bool separatorBefore;
  };
  const Button buttons[] = {
      {"New", "New Code", "document-new", QStyle::SP_FileIcon, false},
      {"Open", "Open Code", "document-open", QStyle::SP_DialogOpenButton, false},
      {"Save", "Save", "document-save", QStyle::SP_DialogSaveButton, true},
      {"Print", "Print", "document-print", QStyle::SP_CustomBase, true},
      {"Cut", "Cut", "edit-cut", QStyle::SP_CustomBase, true},
      {"Copy", "Copy", "edit-copy", QStyle::SP_CustomBase, false},
      {"Paste", "Paste", "edit-paste", QStyle::SP_CustomBase, false},
      {"Undo", "Undo", "edit-undo", QStyle::SP_ArrowBack, true},
      {"Redo", "Redo", "edit-redo", QStyle::SP_ArrowForward, false},
      {"Find", "Find", "edit-find", QStyle::SP_FileDialogContentsView, true},
      {"Run", "Run", "media-playback-start", QStyle::SP_MediaPlay, true},
  };
  for (const Button& b : buttons) {
    if (b.separatorBefore) tb_->addSeparator();
    const QString key = QString::fromLatin1(b.key);
    QAction* action = tb_->addAction(ThemeIcon(b.icon, b.fallback, this), key);
    action->setObjectName(QStringLiteral("tb") + key);
    action->setToolTip(QString::fromLatin1(b.tip));
    connect(action, &QAction::triggered, this, [this, key] {
      if (key == QLatin1String("New")) NewScript();
      else if (key == QLatin1String("Open")) OpenScript();
      else if (key == QLatin1String("Save")) mnuFileSave_Click();
      else if (key == QLatin1String("Print")) ShowPrintDialog();
      else if (key == QLatin1String("Cut")) ActiveView()->cut();
      else if (key == QLatin1String("Copy")) ActiveView()->copy();
      else if (key == QLatin1String("Paste")) ActiveView()->paste();
      else if (key == QLatin1String("Undo")) ActiveView()->undo();
      else if (key == QLatin1String("Redo")) ActiveView()->redo();
      else if (key == QLatin1String("Find")) ShowReplaceDialog();
      else if (key == QLatin1String("Run")) emit runScriptRequested();
    });
  }
}

void frmVBEditor::BuildStatusBar() {
  const char* names[] = {"VBScript Editor", "CAPS", "INS", "NUM", "", ""};
  for (size_t i = 0; i < statusPanels_.size(); ++i) {
    auto* panel = new QLabel(QString::fromLatin1(names[i]));
    panel->setObjectName(QStringLiteral("sbPanel%1").arg(i));
    panel->setContentsMargins(4, 0, 4, 0);
    if (i == 0) statusBar()->addWidget(panel, 1);
    else statusBar()->addPermanentWidget(panel);
    statusPanels_[i] = panel;
  }
  statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
  statusTimer_ = new QTimer(this);
  statusTimer_->setInterval(1000);
  connect(statusTimer_, &QTimer::timeout, this, &frmVBEditor::UpdateStatusBar);
  statusTimer_->start();
}

QLabel* frmVBEditor::StatusPanel(int index) const { return statusPanels_.at(static_cast<size_t>(index)); }

void frmVBEditor::UpdateStatusBar() {
  // Indicators show in full when on and greyed when off or unknown.
  const LockKeys locks = ReadLockKeys();
  statusPanels_[1]->setEnabled(locks.capsLock.value_or(false));
  statusPanels_[2]->setEnabled(!ActiveView()->overwriteMode());
  statusPanels_[3]->setEnabled(locks.numLock.value_or(false));
  const QLocale locale;
  const QDateTime now = QDateTime::currentDateTime();
  statusPanels_[4]->setText(locale.toString(now.date(), QLocale::ShortFormat));
  statusPanels_[5]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

QAction* frmVBEditor::Action(const QString& objectName) const { return findChild<QAction*>(objectName); }

ScriptView* frmVBEditor::ActiveView() const {
  if (active_ && active_->isVisible()) return active_;
  return views_[0];
}

// ---- host interface ---------------------------------------------------------------------------

QString frmVBEditor::ScriptText() const { return rtfText()->text(); }

QString frmVBEditor::Caption() const { return document_.Caption(); }

void frmVBEditor::OnCaptionChanged(const QString& caption) {
  QString title = caption;
  // "[*]" in a title is Qt's modified-mark placeholder; doubled it shows literally.
  title.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
  setWindowTitle(title);
}

void frmVBEditor::showSyn(const QString& text) {
  QTextDocument* doc = txtOut_->document();
  const int64_t length = doc->characterCount() - 1;  // without the final paragraph mark
  if (const int64_t drop = OutputCharsToDrop(length); drop > 0) {
    QTextCursor cut(doc);
    cut.setPosition(0);
    cut.setPosition(static_cast<int>(drop), QTextCursor::KeepAnchor);
    cut.removeSelectedText();
  }
  QString lines = text;
  lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QTextCharFormat format;
  format.setFontWeight(emphasis_ ? QFont::Bold : QFont::Normal);
  format.setForeground(outputColor_);
  QTextCursor end(doc);
  end.movePosition(QTextCursor::End);
  end.insertText(lines, format);
  txtOut_->setTextCursor(end);
  txtOut_->ensureCursorVisible();
  // The pane repaints while a script runs.
  QCoreApplication::processEvents();
}

void frmVBEditor::SetOutputEmphasis(bool on) { emphasis_ = on; }

void frmVBEditor::SetOutputColor(const QColor& color) { outputColor_ = color.isValid() ? color : QColor(Qt::black); }

void frmVBEditor::HighlightErrorLine(int line) {
  rtfText()->MarkErrorLine(line);
  if (line > 0) rtfText()->setFocus();
}

int frmVBEditor::HighlightedErrorLine() const { return rtfText()->MarkedErrorLine(); }

// ---- file commands ----------------------------------------------------------------------------

bool frmVBEditor::NewScript() { return document_.New(); }
bool frmVBEditor::OpenScript() { return RememberFolderOf(document_.Open()); }
bool frmVBEditor::OpenScriptFile(const QString& path) { return document_.OpenPath(path); }
bool frmVBEditor::OpenRecentScript(int index) { return document_.OpenRecent(index); }
bool frmVBEditor::mnuFileSave_Click() { return document_.Save(); }
bool frmVBEditor::mnuFileSaveAs_Click() { return RememberFolderOf(document_.SaveAs()); }

// The folder the user went to in a dialog is where the next dialog starts, in this run and the next.
bool frmVBEditor::RememberFolderOf(bool chosen) {
  if (!chosen) return false;
  const QString folder = QFileInfo(document_.DialogFileName()).absolutePath();
  document_.SetDefaultFolder(folder);
  auto store = settings_();
  WriteText(*store, kSettingsSection, QStringLiteral("Default Dir"), folder);
  return true;
}

void frmVBEditor::SetScriptText(const QString& text) { rtfText()->setText(text); }

void frmVBEditor::StoreMru() {
  auto store = settings_();
  document_.Mru().Save(*store);
  store->sync();
  document_.Mru().Load(*store);
  RefreshMruMenu();
}

void frmVBEditor::RefreshMruMenu() {
  bool any = false;
  for (int i = 0; i < ScriptMru::kSize; ++i) {
    const QString& path = document_.Mru().Entry(i);
    QAction* entry = mnuFileMRU_[static_cast<size_t>(i)];
    entry->setText(MenuCaption(path));
    entry->setVisible(!path.isEmpty());
    any = any || !path.isEmpty();
  }
  mruSeparator_->setVisible(any);
}

void frmVBEditor::setDialogs(const EditorDialogs& dialogs) {
  if (dialogs.askSave) dialogs_.askSave = dialogs.askSave;
  if (dialogs.chooseOpenPath) dialogs_.chooseOpenPath = dialogs.chooseOpenPath;
  if (dialogs.chooseSavePath) dialogs_.chooseSavePath = dialogs.chooseSavePath;
  if (dialogs.showMessage) dialogs_.showMessage = dialogs.showMessage;
}

// ---- preferences and colours ------------------------------------------------------------------

void frmVBEditor::initRTF() {
  auto store = settings_();
  preferences_ = EditorPreferences::Load(*store);
  Action(QStringLiteral("mnuViewWhiteSpaces"))->setChecked(preferences_.WhiteSpace);
  Action(QStringLiteral("mnuViewLineNumber"))->setChecked(preferences_.LineNum);
  // A split that is no longer allowed folds away.
  views_[1]->setVisible(preferences_.VSplit);
  views_[2]->setVisible(preferences_.HSplit);
  ApplyViewOptions();
}

void frmVBEditor::ApplyViewOptions() {
  ViewOptions options;
  options.lineNumbers = Action(QStringLiteral("mnuViewLineNumber"))->isChecked();
  options.whiteSpace = Action(QStringLiteral("mnuViewWhiteSpaces"))->isChecked();
  options.radix = preferences_.LineNumStyle;
  options.caseFixing = preferences_.lineCase;
  options.lineToolTips = preferences_.LToolTips;
  for (ScriptView* view : views_) view->SetOptions(options);
}

void frmVBEditor::initColor() {
  auto store = settings_();
  colors_.Load(*store);
  for (ScriptView* view : views_) view->ApplyColorTable(colors_);
  ApplySplitterColors();
}

void frmVBEditor::ApplySplitterColors() {
  const QColor horizontal = ColorFromBgr(colors_.Item(ColorTable::kHorizontalDividers).text);
  const QColor vertical = ColorFromBgr(colors_.Item(ColorTable::kVerticalDividers).text);
  auto sheet = [](const QColor& c) {
    return c.isValid() ? QStringLiteral("QSplitter::handle { background-color: %1; }").arg(c.name()) : QString();
  };
  hSplitter_->setStyleSheet(sheet(horizontal));
  vSplitter_->setStyleSheet(sheet(vertical));
}

int frmVBEditor::txtProp(int style) { return static_cast<int>(FontStyleOf(style)); }

void frmVBEditor::saveOptions() {
  auto store = settings_();
  EditorPreferences::Load(*store).Save(*store);
}

void frmVBEditor::setMenu() {
  const bool selection = ActiveView()->hasSelectedText();
  for (const char* name : {"mnuEditCut", "mnuEditCopy", "tbCut", "tbCopy"})
    if (QAction* action = Action(QString::fromLatin1(name))) action->setEnabled(selection);
  if (QAction* next = Action(QStringLiteral("mnuEditFindNext"))) next->setEnabled(findDone_);
}

// ---- edit commands ----------------------------------------------------------------------------

bool frmVBEditor::FindText(const FindRequest& request) {
  lastFind_ = request;
  findDone_ = !request.text.isEmpty();
  setMenu();
  return FindNextMatch();
}

bool frmVBEditor::FindNextMatch() {
  if (!findDone_ || lastFind_.text.isEmpty()) return false;
  ScriptView* view = ActiveView();
  int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
  view->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
  if (lineFrom < 0) {
    view->getCursorPosition(&lineFrom, &indexFrom);
    lineTo = lineFrom;
    indexTo = indexFrom;
  }
  const bool forward = !lastFind_.backwards;
  const bool found = view->findFirst(lastFind_.text, false, lastFind_.matchCase, lastFind_.wholeWord, true, forward,
                                     forward ? lineTo : lineFrom, forward ? indexTo : indexFrom, true);
  return found;
}

bool frmVBEditor::ReplaceCurrent(const FindRequest& request, const QString& with) {
  ScriptView* view = ActiveView();
  const QString selected = view->selectedText();
  const bool same = request.matchCase ? selected == request.text
                                      : selected.compare(request.text, Qt::CaseInsensitive) == 0;
  if (selected.isEmpty() || !same) return false;
  view->replaceSelectedText(with);
  return true;
}

int frmVBEditor::ReplaceAll(const FindRequest& request, const QString& with) {
  if (request.text.isEmpty()) return 0;
  ScriptView* view = ActiveView();
  const QByteArray what = request.text.toUtf8();
  const QByteArray replacement = with.toUtf8();
  int flags = 0;
  if (request.matchCase) flags |= QsciScintillaBase::SCFIND_MATCHCASE;
  if (request.wholeWord) flags |= QsciScintillaBase::SCFIND_WHOLEWORD;
  view->SendScintilla(QsciScintillaBase::SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags));
  int count = 0;
  long start = 0;
  view->beginUndoAction();
  while (true) {
    const long end = view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    if (start > end) break;
    view->SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, static_cast<unsigned long>(start));
    view->SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(end));
    const long found = view->SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET,
                                           static_cast<unsigned long>(what.size()), what.constData());
    if (found < 0) break;
    view->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(replacement.size()),
                        replacement.constData());
    // Go on after the replacement, so that a replacement holding the text is not searched again.
    start = view->SendScintilla(QsciScintillaBase::SCI_GETTARGETEND);
    ++count;
  }
  view->endUndoAction();
  return count;
}

void frmVBEditor::GoToLine(int line) {
  ScriptView* view = ActiveView();
  const int index = std::clamp(line, 1, std::max(1, view->lines())) - 1;
  view->setCursorPosition(index, 0);
  view->ensureLineVisible(index);
  view->setFocus();
}

void frmVBEditor::ShowFindDialog() {
  FindDialog dialog(lastFind_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const FindRequest request = dialog.Request();
  if (request.text.isEmpty()) return;
  if (!FindText(request)) dialogs_.showMessage(QStringLiteral("Cannot find \"%1\".").arg(request.text));
}

void frmVBEditor::ShowReplaceDialog() {
  ReplaceActions actions{
      [this](const FindRequest& request) { return FindText(request); },
      [this](const FindRequest& request, const QString& with) { return ReplaceCurrent(request, with); },
      [this](const FindRequest& request, const QString& with) { return ReplaceAll(request, with); },
  };
  ReplaceDialog dialog(lastFind_, lastReplacement_, actions, this);
  dialog.exec();
  lastReplacement_ = dialog.Replacement();
}

void frmVBEditor::ShowGoToDialog() {
  int line = 0, index = 0;
  ActiveView()->getCursorPosition(&line, &index);
  GoToLineDialog dialog(line + 1, ActiveView()->lines(), this);
  if (dialog.exec() == QDialog::Accepted) GoToLine(dialog.Line());
}

bool frmVBEditor::PrintTo(QsciPrinter& printer, bool selectionOnly) {
  ScriptView* view = ActiveView();
  int from = -1, to = -1;
  if (selectionOnly && view->hasSelectedText()) {
    int indexFrom = 0, indexTo = 0;
    view->getSelection(&from, &indexFrom, &to, &indexTo);
  }
  return printer.printRange(view, from, to) > 0;
}

void frmVBEditor::ShowPrintDialog() {
  QsciPrinter printer;
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(QStringLiteral("Print"));
  const bool selection = ActiveView()->hasSelectedText();
  dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (selection) printer.setPrintRange(QPrinter::Selection);
  if (dialog.exec() != QDialog::Accepted) return;
  // Printing failures are not reported; the printer system has its own messages.
  PrintTo(printer, printer.QPrinter::printRange() == QPrinter::Selection);
}

void frmVBEditor::ShowPreferences() {
  frmOptions* options = CreateOptionsWindow();
  options->exec();
  delete options;
}

frmOptions* frmVBEditor::CreateOptionsWindow() {
  return new frmOptions(&colors_, settings_, [this] {
    initRTF();
    initColor();
  }, this);
}

void frmVBEditor::ShowDateTime() {
  frmDateTime* window = CreateDateTimeWindow();
  dateTime_ = window;
  window->exec();
  delete window;
}

frmDateTime* frmVBEditor::CreateDateTimeWindow() {
  return new frmDateTime(QDateTime::currentDateTime(), QLocale(),
                         [this](const QString& text) { ActiveView()->replaceSelectedText(text); }, this);
}

// ---- closing ----------------------------------------------------------------------------------

void frmVBEditor::SavePlacement() {
  if (isMinimized()) return;
  WindowPlacement placement;
  placement.left = pos().x();
  placement.top = pos().y();
  placement.width = width();
  placement.height = height();
  auto store = settings_();
  placement.Save(*store);
}

void frmVBEditor::closeEvent(QCloseEvent* event) {
  if (!quitRequested_) {
    // While the program runs the window only hides: text, file and modified state stay.
    event->ignore();
    hide();
    return;
  }
  if (!document_.ConfirmClose()) {
    event->ignore();
    return;
  }
  saveOptions();
  setMenu();
  SavePlacement();
  if (dateTime_) dateTime_->reject();
  event->accept();
}

}  // namespace lumetrix
