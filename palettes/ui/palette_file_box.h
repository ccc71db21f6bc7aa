#pragma once
// The "Choose existing or type new name:" box of the palette editors: lists the editor's files
// of both palette folders, and hands the typed name to Load and Save, warning the user when
// there is no name or the file cannot be used.

#include <QString>
#include <functional>
#include <string>

#include "palettes/palette_folders.h"
#include "palettes/ui/dialog_services.h"

class QComboBox;
class QWidget;

namespace lumetrix {

class PaletteFileBox {
 public:
  // What Load or Save does with the typed name; throws palettes::PaletteError when it fails.
  using NameAction = std::function<void(const std::string& name)>;

  // Creates the editable `cmbFile` box in parent; the list holds the names of the ext files.
  PaletteFileBox(QWidget* parent, std::string ext);

  QComboBox* box() const { return box_; }

  // Lists the names again, keeping what the user typed.
  void Fill(const palettes::PaletteFolders& folders);
  // Runs load on the typed name; false (after a warning) when there is none or load failed.
  bool Load(const MessageHandler& message, const NameAction& load);
  // Runs save on the typed name, then lists the names again with the saved one chosen.
  bool Save(const MessageHandler& message, const palettes::PaletteFolders& folders, const NameAction& save);

 private:
  bool UseName(const MessageHandler& message, const NameAction& action);

  std::string ext_;
  QComboBox* box_;
};

}  // namespace lumetrix
