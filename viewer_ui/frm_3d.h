#pragma once
// frm3D: the main window over a Viewer. Its client area is the viewer's OpenGL drawing surface;
// the window owns the menus and dialogs, turns input events into the viewer's input, shows the
// progress frame and message boxes, and follows the viewer's changes (title, menus, the
// parameters window).

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/progress_sink.h"
#include "viewer/recent_files.h"
#include "viewer/viewer.h"

class QAction;
class QMenu;

class QDockWidget;
class QLabel;

namespace lumetrix {

class GlView;
class ProgressFrame;
class StatusPanes;
class frmVBEditor;
class frmParameters;
class frmAnimation;
class frmDisplay;
class TimeControls;
class TimePlayer;
class ViewPanel;
namespace series {
class frmCnvrtLeicaTiff;
}
namespace avi2gif {
class AVI2GIF;
}
namespace widgets {
class frmHelp;
}

class frm3D : public QMainWindow, public ProgressSink, public MruMenu, public MessageSink {
  Q_OBJECT
 public:
  explicit frm3D(QWidget* parent = nullptr);
  ~frm3D() override;

  Viewer& TheViewer() { return *viewer_; }
  // Opens a file named on the command line, and lists it among the recent files.
  bool OpenAtStart(const std::string& path);
  // The memory budgets of Preferences ("Streaming/HostCacheMB", "Streaming/GpuCacheMB").
  void ApplyMemorySettings();

  // Progress frame.
  void ShowProgress(const std::string& caption, int32_t start, int32_t maximum) override;
  void SetProgress(int32_t value) override;
  void HideProgress() override;
  // The program closes, or Cancel was clicked while a volume is read.
  bool Cancelled() const override;
  int32_t GetProgress() const override;

  // Message boxes titled "Lumetrix".
  void ShowMessage(const std::string& text, MessageIcon icon) override;

  // Recent-file entries of the File menu.
  int MruEntryCount() const override { return static_cast<int>(mnuMRUFiles_.size()); }
  void SetMruEntry(int index, const std::string& caption, bool visible) override;

  QMenu* PaletteMenu() const { return mnuPallete_; }
  // The script editor, loaded hidden with the window.
  frmVBEditor* Editor() const { return editor_.get(); }
  frmParameters* Parameters() const;
  // The "View" panel docked beside the drawing area.
  ViewPanel* Panel() const { return view_panel_; }
  avi2gif::AVI2GIF* AviToGifWindow() const;

 signals:
  // The window unloads: the other windows close.
  void Unloading();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // TIFF files dropped on the window open like File > Open Image.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ShowStatus(const std::string& line);
  void BuildMenus();
  void BuildClientArea();
  void BuildViewPanel();
  void OnViewerChange(ViewerChange change);
  // The script's caption (or the program's) and the name of the file on screen.
  void UpdateTitle();
  void RefreshPaletteMenu();
  void UpdateUndoActions();
  void RefreshViewMenu();
  void AddRecentFile();
  void mnuFileOpen_Click();
  void mnuMRUFiles_Click(int index);
  void mnuFileSaveImage_Click(bool jpeg);
  void mnuWindowPreset_Click(int width, int height);
  void mnuWindowSet_Click();
  void ShowHelp();
  void ShowHelpInBrowser();
  void mnuScriptShow_Click();
  void mnuScriptAnimation_Click();
  void mnuControlShowParameters_Click();
  void OpenPaletteEditor(bool gradient);
  void Unload();

  cMRU mru_;
  bool unloaded_ = false;
  QTimer* pyramid_poll_ = nullptr;  // while the pyramid of the file shown is built
  GlView* gl_ = nullptr;
  QWidget* client_ = nullptr;
  ProgressFrame* progress_ = nullptr;
  QLabel* empty_hint_ = nullptr;  // over the drawing area while no volume is open
  std::unique_ptr<StatusPanes> status_;  // the panes of the status bar, there from the start
  void PlaceEmptyHint();
  QMenu* mnuPallete_ = nullptr;
  QDockWidget* view_dock_ = nullptr;
  ViewPanel* view_panel_ = nullptr;
  TimeControls* time_controls_ = nullptr;  // in the View panel's time slot
  std::array<QAction*, static_cast<size_t>(RenderMode::Iso) + 1> mnuViewModes_{};  // View menu, by RenderMode
  std::array<QAction*, 5> mnuMRUFiles_{};
  std::vector<QAction*> mnuPal_;
  QAction* mnuScriptStop_ = nullptr;
  QAction* mnuControlUndo_ = nullptr;
  QAction* mnuControlRedo_ = nullptr;
  QPointer<series::frmCnvrtLeicaTiff> leica_;
  QPointer<avi2gif::AVI2GIF> avi2gif_;  // the AVI-to-GIF window while it is open
  QPointer<frmParameters> parameters_;
  QPointer<frmDisplay> display_;  // shown again, not opened twice; follows the stack opened
  QPointer<widgets::frmHelp> help_;  // the help window once opened
  QPointer<frmAnimation> animation_;
  std::unique_ptr<frmVBEditor> editor_;  // loaded hidden with the window; no owner
  // What the viewer is given; it goes first.
  std::unique_ptr<avi::CompressionOptionsSource> movie_options_;
  std::unique_ptr<vbs::UiHost> script_ui_;
  std::unique_ptr<Viewer> viewer_;
  std::shared_ptr<TimePlayer> player_;  // the time-lapse playback of the viewer; goes before it
};

}  // namespace lumetrix
