#include "viewer_ui/frm_about.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/version.h"

namespace lumetrix {

QString VersionText() { return QString::fromLatin1(kVersion); }

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About Lumetrix");
  auto* text = new QLabel(this);
  text->setTextFormat(Qt::RichText);
  text->setText(QString("<h2>Lumetrix %1</h2>"
                        "<p>Three-dimensional display of confocal and widefield fluorescence microscope "
                        "stacks.</p>"
                        "<p>Opens multi-page TIFF volumes, shows them as blended slice stacks with OpenGL, "
                        "animates them with VBScript, and records still images and movies.</p>")
                    .arg(VersionText()));
  text->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

}  // namespace lumetrix
