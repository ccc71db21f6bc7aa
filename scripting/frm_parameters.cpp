#include "scripting/frm_parameters.h"

#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "core/view_value.h"
#include "scripting/clickable_label.h"
#include "scripting/number_text.h"

namespace lumetrix {

using namespace scripting;

namespace {

// The window was laid out in twips; at 96 dpi 15 of them make a pixel.
constexpr int Px(int twips) { return (twips + 7) / 15; }

constexpr int kValueWidth = Px(795);
constexpr int kValueHeight = Px(255);
constexpr int kLeftValueX = Px(1290);
constexpr int kRightValueX = Px(3240);

struct Place {
  ParameterId id;
  int valueX;
  int y;
  QColor tint;
};

const QColor kYellow(255, 254, 206);
const QColor kRed(255, 220, 220);
const QColor kGreen(220, 255, 220);
const QColor kBlue(220, 220, 255);
const QColor kGrey(241, 241, 241);

QFont Bold(QFont font) {
  font.setBold(true);
  return font;
}

void Tint(QLabel* label, const QColor& color) {
  label->setAutoFillBackground(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, color);
  palette.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(palette);
}

}  // namespace

frmParameters::frmParameters(ViewParameters& viewer, QWidget* parent) : QDialog(parent), viewer_(viewer) {
  setObjectName(QStringLiteral("frmParameters"));
  setWindowTitle(QStringLiteral("Parameters"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Px(4290), Px(4785));
  input_ = [this](const QString& prompt, const QString& title, const QString& text) -> std::optional<QString> {
    bool ok = false;
    const QString answer = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, text, &ok);
    if (!ok) return std::nullopt;
    return answer;
  };
  message_ = [this](const QString& text) { QMessageBox::warning(this, QStringLiteral("Change Parameter"), text); };

  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setGeometry(Px(60), Px(30), width() - 2 * Px(60), Px(4320) - Px(30) - Px(90));

  auto* hint = new QLabel(QStringLiteral("Click a parameter to change value"), this);
  hint->setFont(Bold(hint->font()));
  hint->move(Px(420), Px(180));
  hint->adjustSize();
  auto* heading = new QLabel(QStringLiteral("Position, Scale and Rotation"), this);
  heading->setFont(Bold(heading->font()));
  heading->move(Px(420), Px(540));
  heading->adjustSize();
  auto* color = new QLabel(QStringLiteral("Color"), this);
  color->setFont(Bold(color->font()));
  color->move(Px(420), Px(2580));
  color->adjustSize();
  auto* lighting = new QLabel(QStringLiteral("Lighting"), this);
  lighting->setFont(Bold(lighting->font()));
  lighting->move(Px(2370), Px(2580));
  lighting->adjustSize();

  const Place places[] = {
      {ParameterId::PosX, kLeftValueX, Px(870), kYellow},
      {ParameterId::PosY, kLeftValueX, Px(1170), kYellow},
      {ParameterId::PosZ, kLeftValueX, Px(1470), kYellow},
      {ParameterId::XRot, kLeftValueX, Px(1800), kYellow},
      {ParameterId::YRot, kLeftValueX, Px(2100), kYellow},
      {ParameterId::ScaleX, kRightValueX, Px(870), kYellow},
      {ParameterId::ScaleY, kRightValueX, Px(1170), kYellow},
      {ParameterId::ScaleZ, kRightValueX, Px(1470), kYellow},
      {ParameterId::XSpeed, kRightValueX, Px(1800), kYellow},
      {ParameterId::YSpeed, kRightValueX, Px(2100), kYellow},
      {ParameterId::Red, kLeftValueX, Px(2850), kRed},
      {ParameterId::Green, kLeftValueX, Px(3150), kGreen},
      {ParameterId::Blue, kLeftValueX, Px(3450), kBlue},
      {ParameterId::LightRed, kRightValueX, Px(2850), kRed},
      {ParameterId::LightGreen, kRightValueX, Px(3150), kGreen},
      {ParameterId::LightBlue, kRightValueX, Px(3450), kBlue},
      {ParameterId::Transparency, kLeftValueX, Px(3810), kGrey},
  };
  auto placeCaption = [this](const QString& text, int valueX, int y) {
    auto* caption = new QLabel(text, this);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Right-aligned against the value; wide captions grow to the left.
    const int w = std::max(Px(795), caption->fontMetrics().horizontalAdvance(text) + 2);
    caption->setGeometry(std::max(2, valueX - 4 - w), y, w, kValueHeight);
    return caption;
  };
  for (const Place& place : places) {
    const ParameterField& field = ParameterOf(place.id);
    const auto index = static_cast<size_t>(place.id);
    captions_[index] = placeCaption(QString::fromLatin1(field.caption), place.valueX, place.y);
    auto* value = new ClickableLabel(this);
    value->setObjectName(QString::fromLatin1(field.label));
    value->setGeometry(place.valueX, place.y, kValueWidth, kValueHeight);
    value->setCursor(Qt::PointingHandCursor);
    Tint(value, place.tint);
    const ParameterId id = place.id;
    connect(value, &ClickableLabel::clicked, this, [this, id] { ChangeParameter(id); });
    values_[index] = value;
  }
  placeCaption(QStringLiteral("Light:"), kRightValueX, Px(3810));
  lblLight_ = new ClickableLabel(this);
  lblLight_->setObjectName(QStringLiteral("lblLight"));
  lblLight_->setGeometry(kRightValueX, Px(3810), kValueWidth, kValueHeight);
  lblLight_->setCursor(Qt::PointingHandCursor);
  Tint(lblLight_, kGrey);
  connect(lblLight_, &ClickableLabel::clicked, this, &frmParameters::ToggleLight);

  cmdClose_ = new QPushButton(QStringLiteral("&Close"), this);
  cmdClose_->setObjectName(QStringLiteral("cmdClose"));
  cmdClose_->setGeometry(Px(3090), Px(4320), Px(1155), Px(435));
  connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);

  refresh_ = new QTimer(this);
  refresh_->setSingleShot(true);
  refresh_->setInterval(kRefreshMs);
  connect(refresh_, &QTimer::timeout, this, &frmParameters::Refresh);
  Refresh();
}

void frmParameters::RefreshSoon() {
  if (!refresh_->isActive()) refresh_->start();
}

void frmParameters::Refresh() {
  const ViewState& state = viewer_.View();
  for (const ParameterField& field : ParameterFields())
    values_[static_cast<size_t>(field.id)]->setText(
        QString::fromStdString(FormatTwoDecimals(lumetrix::FieldOf(state, field.id))));
  lblLight_->setText(QString::fromLatin1(LightText(state.LightOn)));
}

void frmParameters::ChangeParameter(ParameterId id) {
  const ParameterField& field = ParameterOf(id);
  const QString current = QString::fromStdString(EditText(lumetrix::FieldOf(viewer_.View(), id)));
  const std::optional<QString> answer =
      input_(QString::fromLatin1(field.prompt), QStringLiteral("Change Parameter"), current);
  if (!answer || answer->isEmpty()) return;
  try {
    ApplyParameterText(viewer_, id, answer->toStdString());
  } catch (const InvalidViewValue& e) {
    message_(QString::fromLatin1(e.what()));
  }
}

void frmParameters::ToggleLight() {
  viewer_.SwitchLight(!viewer_.View().LightOn);
  lblLight_->setText(QString::fromLatin1(LightText(viewer_.View().LightOn)));
}

QLabel* frmParameters::ValueLabel(ParameterId id) const { return values_.at(static_cast<size_t>(id)); }
QLabel* frmParameters::CaptionLabel(ParameterId id) const { return captions_.at(static_cast<size_t>(id)); }
QLabel* frmParameters::LightLabel() const { return lblLight_; }

}  // namespace lumetrix
