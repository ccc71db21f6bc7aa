#pragma once
// The gradient palette editor ("Custom Palette Editor 1"): eleven colour stops drawn as one
// gradient strip, saved as name.plt (the stops) and name.pal (the table sampled from the strip)
// into the user's palette folder.

#include <QDialog>
#include <QImage>
#include <array>
#include <memory>

#include "palettes/gradient_editor.h"
#include "palettes/palette_folders.h"
#include "palettes/ui/dialog_services.h"
#include "palettes/ui/palette_file_box.h"

class QComboBox;
class QPushButton;

namespace lumetrix {

class ColourSwatch;
class ImageStrip;

class frmPalette : public QDialog {
  Q_OBJECT
 public:
  // Lists and loads stop files from both folders; saves only into folders.writable.
  frmPalette(QWidget* parent, palettes::PaletteFolders folders);

  void setMessageHandler(MessageHandler handler) { message_ = std::move(handler); }
  void setColorChooser(ColorChooser chooser) { chooseColor_ = std::move(chooser); }

  const palettes::GradientEditor& editor() const { return editor_; }
  QComboBox* nameBox() const { return fileBox_->box(); }
  ColourSwatch* swatch(int i) const { return swatches_.at(static_cast<std::size_t>(i)); }
  // The strip's current picture (W x H of its drawing surface).
  QImage stripImage() const;

 public slots:
  // Left button: the colour dialog; any other: toggle the stop active/inactive.
  void lblCol_MouseDown(int index, Qt::MouseButton button);
  void cmdLoad_Click();
  void cmdSave_Click();
  void cmdClose_Click();
  void FillFileList();

 private:
  void ShowStops();
  void ShowStrip();
  void GradientFailed();

  palettes::PaletteFolders folders_;
  palettes::GradientEditor editor_;
  MessageHandler message_;
  ColorChooser chooseColor_;
  std::array<ColourSwatch*, palettes::kStopCount> swatches_{};
  ImageStrip* picSel_ = nullptr;
  std::unique_ptr<PaletteFileBox> fileBox_;
};

}  // namespace lumetrix
