#pragma once
// The Animation window: a list of keyframes of the main window's view, played in the main
// window or rendered offscreen into a movie; keyframe files and scripts are saved and opened
// here. The animation itself lives in KeyframeTrack; this window only shows and edits it.

#include <QDialog>
#include <QImage>
#include <vector>

#include "viewer/animation/keyframe_track.h"

class QComboBox;
class QSpinBox;
class QDoubleSpinBox;
class QTableWidget;
class QTimer;
class QPushButton;

namespace lumetrix {

class Viewer;

class frmAnimation : public QDialog {
  Q_OBJECT
 public:
  frmAnimation(Viewer& viewer, QWidget* parent = nullptr);

  const animation::KeyframeTrack& Track() const { return track_; }
  // Replaces the list with a keyframe file's, its pictures drawn from the volume shown; false,
  // with a message, when the file cannot be read (the list stays).
  bool OpenKeyframeFile(const QString& path);
  // True when the list may be replaced or closed: it is saved, empty, or the user says so
  // (Save saves it first; Cancel keeps it).
  bool KeyframesMayGo();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void AddKeyframe();
  void ReplaceKeyframe();
  void DeleteKeyframe();
  void MoveKeyframe(int step);
  void GoToKeyframe();
  void TogglePreview();
  void PreviewStep();
  void SaveMovie();
  void OpenKeys();
  bool SaveKeys();
  void RenderThumbnails();
  void SaveScript();
  void FrameEdited(int row, int column);
  // The view the main window shows, as a keyframe at `frame`.
  animation::Keyframe Capture(int32_t frame) const;
  QImage Thumbnail() const;
  void TakeSettings();
  void Refill(int select);
  int Selected() const;
  bool Warn(const std::string& text);
  // Shows a frame or keyframe in the main window; false, with a message, when it does not fit.
  bool Show(const animation::FrameView& frame);

  Viewer& viewer_;
  animation::KeyframeTrack track_;
  animation::KeyframeTrack preview_track_;  // track_ with the volume's channels where it leaves them out
  std::vector<QImage> thumbs_;  // beside track_.Keys
  QTableWidget* list_ = nullptr;
  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QDoubleSpinBox* fps_ = nullptr;
  QComboBox* format_ = nullptr;
  QDoubleSpinBox* rate_factor_ = nullptr;  // MP4 only
  QPushButton* preview_ = nullptr;
  QTimer* timer_ = nullptr;
  int32_t preview_frame_ = 0;
  bool filling_ = false;
  bool modified_ = false;  // keyframes changed since opened or saved
};

}  // namespace lumetrix
