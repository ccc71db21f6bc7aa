#include "palettes/ui/palette_file_box.h"

#include <QComboBox>

#include "palettes/palette_error.h"

namespace lumetrix {
namespace {

void Warn(const MessageHandler& message, const QString& text) {
  if (message) message(QMessageBox::Warning, kApplicationTitle, text);
}

}  // namespace

PaletteFileBox::PaletteFileBox(QWidget* parent, std::string ext)
    : ext_(std::move(ext)), box_(new QComboBox(parent)) {
  box_->setObjectName(QStringLiteral("cmbFile"));
  box_->setEditable(true);
  box_->setInsertPolicy(QComboBox::NoInsert);
}

void PaletteFileBox::Fill(const palettes::PaletteFolders& folders) {
  const QString typed = box_->currentText();
  box_->clear();
  for (const std::string& name : palettes::ListPaletteNames(folders, ext_))
    box_->addItem(QString::fromStdString(name));
  box_->setEditText(typed);
}

bool PaletteFileBox::UseName(const MessageHandler& message, const NameAction& action) {
  const QString name = box_->currentText();
  if (name.isEmpty()) {
    Warn(message, QString::fromUtf8(palettes::kChooseNameFirst));
    return false;
  }
  try {
    action(name.toStdString());
  } catch (const palettes::PaletteError& e) {
    Warn(message, QString::fromUtf8(e.what()));
    return false;
  }
  return true;
}

bool PaletteFileBox::Load(const MessageHandler& message, const NameAction& load) { return UseName(message, load); }

bool PaletteFileBox::Save(const MessageHandler& message, const palettes::PaletteFolders& folders,
                          const NameAction& save) {
  const QString name = box_->currentText();
  if (!UseName(message, save)) return false;
  Fill(folders);
  const int found = box_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (found >= 0) box_->setCurrentIndex(found);
  else box_->setEditText(name);
  return true;
}

}  // namespace lumetrix
