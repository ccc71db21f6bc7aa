#pragma once
// The AVI-to-GIF window (AVI2GIF, caption "AVItoGIF"): imports a movie with the chosen palette,
// dithering and SwapRG, previews it looping with its palette and figures, and saves it as an
// animated GIF, optimised when asked. The work is done by Avi2GifConverter; the window holds
// the controls, the dialogs, the preview timer and the progress bar.

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "export/avi2gif/avi2gif_converter.h"
#include "export/avi2gif/preview_player.h"
#include "core/messages.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;

namespace lumetrix::widgets {
class ucProgress;
}

namespace lumetrix::avi2gif {

class PreviewCanvas;

class AVI2GIF : public QWidget, public MessageSink {
  Q_OBJECT
 public:
  // A window of its own, owned by `owner` (not modal); deletes itself when closed.
  explicit AVI2GIF(QWidget* owner = nullptr);
  ~AVI2GIF() override;

  // Loads the movie into the GIF document (nothing for an empty path). Flip turns every
  // frame's rows top row first (used before saving). True when the movie was imported.
  bool OpenAvi(const QString& path, bool flip);
  // "Save Animated GIF".
  void Command1_Click();

  // The work behind the window (for tests and the menu command).
  const Avi2GifConverter& Converter() const { return converter_; }
  const PreviewPlayer& Player() const { return player_; }
  // True while a movie is imported or saved (the window yields to events meanwhile).
  bool Busy() const { return busy_ > 0; }

  // Message boxes titled "Lumetrix", OK button; tests replace them.
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  using MessageHook = std::function<void(const QString& text, QMessageBox::Icon icon)>;
  void SetMessageHook(MessageHook hook) { message_hook_ = std::move(hook); }
  // The save-file dialog; returns an empty name when cancelled. Tests replace it.
  using FileChooser = std::function<QString()>;
  void SetSaveFileChooser(FileChooser chooser) { save_chooser_ = std::move(chooser); }

  // The save dialog of the window: title "Save GIF File", GIF files, default extension "gif".
  static QString AskSaveFile(QWidget* owner);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class Progress;

  void BuildControls();
  void optPallette_Click(int index);
  void optDither_Click(int index);
  void chkSwap_Click();
  void tmrDelay_Timer();
  void ReimportForPreview();
  void BuildPreview();
  void ResetPreview();
  void RefreshFigures();
  void ShowScreen();
  void SetControlsEnabled(bool enabled);

  Avi2GifConverter converter_;
  PreviewPlayer player_;
  MessageHook message_hook_;
  FileChooser save_chooser_;
  int busy_ = 0;
  bool cancel_ = false;
  bool close_pending_ = false;
  bool cursor_busy_ = false;

  widgets::ucProgress* ucProgress_ = nullptr;
  PreviewCanvas* ucCanvas_ = nullptr;
  QSlider* ucSlider1_ = nullptr;
  QTimer* tmrDelay_ = nullptr;
  std::array<QRadioButton*, 3> optPallette_{};
  std::array<QRadioButton*, 3> optDither_{};
  QCheckBox* chkSwap_ = nullptr;
  QCheckBox* chkOptimize_ = nullptr;
  QCheckBox* chkBest_ = nullptr;
  QLabel* iPalette_ = nullptr;
  QLabel* lblScreenV_ = nullptr;
  QLabel* lblFramesV_ = nullptr;
  QLabel* lblPaletteV_ = nullptr;
  QLabel* lblEntriesV_ = nullptr;
  QPushButton* Command1_ = nullptr;
  QPushButton* cmdExit_ = nullptr;
};

// The menu command "AVI to Animated &GIF": asks for a movie (title "Select AVI File to
// Convert to Animated GIF") and, when one was chosen, shows the window (one per owner,
// reused while it is open) and opens the movie in it. `chooser` replaces the dialog in tests.
AVI2GIF* mnuGIF_Click(QWidget* owner, QPointer<AVI2GIF>& window, const std::function<QString()>& chooser = {});
// The open dialog of the menu command.
QString AskAviToConvert(QWidget* owner);

}  // namespace lumetrix::avi2gif
