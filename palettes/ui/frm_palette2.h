#pragma once
// The palette maker ("Custom Palette Editor 2"): three transfer curves (red, green, blue) of
// 2, 3, 5 or 9 draggable points, a preview strip, saved as name.pl2 (the curves) and name.pal
// into the user's palette folder.

#include <QDialog>
#include <QImage>
#include <array>
#include <memory>

#include "palettes/palette_folders.h"
#include "palettes/palette_maker.h"
#include "palettes/ui/dialog_services.h"
#include "palettes/ui/palette_file_box.h"

class QComboBox;
class QLabel;
class QRadioButton;
class QScrollBar;

namespace lumetrix {

class CurveArea;
class CurveHandle;
class ImageStrip;

class frmPalette2 : public QDialog {
  Q_OBJECT
 public:
  frmPalette2(QWidget* parent, palettes::PaletteFolders folders);

  void setMessageHandler(MessageHandler handler) { message_ = std::move(handler); }

  const palettes::PaletteMaker& maker() const { return maker_; }
  QComboBox* nameBox() const { return fileBox_->box(); }
  CurveHandle* handle(int i) const;
  QLabel* valueLabel(int i) const { return labR_.at(static_cast<std::size_t>(i)); }
  QScrollBar* pointScroll(int c) const { return hsnButtons_.at(static_cast<std::size_t>(c)); }
  QLabel* pointCountLabel(int c) const { return labNB_.at(static_cast<std::size_t>(c)); }
  QRadioButton* channelOption(int c) const { return optCul_.at(static_cast<std::size_t>(c)); }
  QLabel* channelLabel(int c) const { return labC_.at(static_cast<std::size_t>(c)); }
  // The preview strip: 256 columns, one per table entry.
  QImage previewImage() const;

 public slots:
  void SelectChannel(int c);
  void HSNButtons_Change(int c);
  void cmdDefault_Click();
  void cmdLoad_Click();
  void cmdSave_Click();
  void cmdClose_Click();
  void FillFileList();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RefreshChannel();
  void PlaceHandles();
  void DrawCurve();
  void DrawPalette();
  void ShowScrollBars();
  void OnGrab(int index, QPointF at);
  void OnDrag(int index, QPointF at);

  palettes::PaletteFolders folders_;
  palettes::PaletteMaker maker_;
  MessageHandler message_;
  QPointF grab_;
  std::array<QRadioButton*, 3> optCul_{};
  std::array<QLabel*, 3> labC_{};
  std::array<QScrollBar*, 3> hsnButtons_{};
  std::array<QLabel*, 3> labNB_{};
  std::array<QLabel*, 9> labR_{};
  QWidget* valueRow_ = nullptr;
  CurveArea* pic_ = nullptr;
  ImageStrip* picPal_ = nullptr;
  std::unique_ptr<PaletteFileBox> fileBox_;
};

}  // namespace lumetrix
