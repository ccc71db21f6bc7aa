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
#include "scripting/view_state_text.h"

namespace lumetrix {

using namespace scripting;

namespace {

// The window was laid out in twips; at 96 dpi 15 of them make a pixel.
constexpr int Px(int twips) { return (twips + 7) / 15; }

constexpr int kValueWidth = Px(795);
constexpr int kValueHeight = Px(255);

struct Place {
  ParameterId id;
  bool right;  // the right-hand column
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
  const Place places[] = {
      {ParameterId::PosX, false, Px(870), kYellow},        {ParameterId::PosY, false, Px(1170), kYellow},
      {ParameterId::PosZ, false, Px(1470), kYellow},       {ParameterId::XRot, false, Px(1800), kYellow},
      {ParameterId::YRot, false, Px(2100), kYellow},       {ParameterId::ScaleX, true, Px(870), kYellow},
      {ParameterId::ScaleY, true, Px(1170), kYellow},      {ParameterId::ScaleZ, true, Px(1470), kYellow},
      {ParameterId::XSpeed, true, Px(1800), kYellow},      {ParameterId::YSpeed, true, Px(2100), kYellow},
      {ParameterId::Red, false, Px(2850), kRed},           {ParameterId::Green, false, Px(3150), kGreen},
      {ParameterId::Blue, false, Px(3450), kBlue},         {ParameterId::LightRed, true, Px(2850), kRed},
      {ParameterId::LightGreen, true, Px(3150), kGreen},   {ParameterId::LightBlue, true, Px(3450), kBlue},
      {ParameterId::Transparency, false, Px(3810), kGrey},
  };
  // The columns leave room for the widest caption in this font ("Transparency:" did not fit).
  auto advance = [this](const char* text) { return fontMetrics().horizontalAdvance(QString::fromLatin1(text)) + 2; };
  int captionWidth[2] = {advance("Light:"), advance("Light:")};
  for (const Place& place : places)
    captionWidth[place.right] = std::max(captionWidth[place.right], advance(ParameterOf(place.id).caption));
  const int leftValueX = std::max(Px(1290), Px(420) + captionWidth[0] + 4);
  const int rightValueX = std::max(Px(3240), leftValueX + kValueWidth + Px(120) + captionWidth[1] + 4);
  // Wide enough for the crop box of a volume of thousands of voxels a side.
  const int cropWidth = leftValueX + advance("crop x 0000-0000, y 0000-0000, z 0000-0000") + Px(255);
  setFixedSize(std::max(rightValueX + kValueWidth + Px(255), cropWidth), Px(4785) + 5 * Px(300));
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
  lighting->move(rightValueX - Px(870), Px(2580));
  lighting->adjustSize();

  // A caption is part of its field: a click on either changes the value.
  auto placeCaption = [this](const QString& text, int valueX, int width, int y) {
    auto* caption = new ClickableLabel(text, this);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption->setGeometry(valueX - 4 - width, y, width, kValueHeight);
    caption->setCursor(Qt::PointingHandCursor);
    return caption;
  };
  for (const Place& place : places) {
    const ParameterField& field = ParameterOf(place.id);
    const auto index = static_cast<size_t>(place.id);
    const int valueX = place.right ? rightValueX : leftValueX;
    auto* caption = placeCaption(QString::fromLatin1(field.caption), valueX, captionWidth[place.right], place.y);
    captions_[index] = caption;
    auto* value = new ClickableLabel(this);
    value->setObjectName(QString::fromLatin1(field.label));
    value->setGeometry(valueX, place.y, kValueWidth, kValueHeight);
    value->setCursor(Qt::PointingHandCursor);
    Tint(value, place.tint);
    const ParameterId id = place.id;
    for (ClickableLabel* part : {caption, value})
      connect(part, &ClickableLabel::clicked, this, [this, id] { ChangeParameter(id); });
    values_[index] = value;
  }
  ClickableLabel* lightCaption = placeCaption(QStringLiteral("Light:"), rightValueX, captionWidth[1], Px(3810));
  connect(lightCaption, &ClickableLabel::clicked, this, &frmParameters::ToggleLight);
  lblLight_ = new ClickableLabel(this);
  lblLight_->setObjectName(QStringLiteral("lblLight"));
  lblLight_->setGeometry(rightValueX, Px(3810), kValueWidth, kValueHeight);
  lblLight_->setCursor(Qt::PointingHandCursor);
  Tint(lblLight_, kGrey);
  connect(lblLight_, &ClickableLabel::clicked, this, &frmParameters::ToggleLight);

  // Shown only (scripts set them), under the values: how the volume is drawn, then the shown
  // volume's channels and time point. The words of the cuts need the window's whole width.
  auto shownOnly = [&](const char* caption, const char* name, int row, bool wide) {
    const int width = advance(caption), y = Px(4320) + row * Px(300);
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(leftValueX - 4 - width, y, width, kValueHeight);
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(name));
    value->setGeometry(leftValueX, y, wide ? this->width() - Px(255) - leftValueX : kValueWidth, kValueHeight);
    return value;
  };
  lblMode_ = shownOnly("Mode:", "lblMode", 0, true);
  lblProjection_ = shownOnly("Projection:", "lblProjection", 1, true);
  lblCrop_ = shownOnly("Crop:", "lblCrop", 2, true);
  lblClip_ = shownOnly("Clip:", "lblClip", 3, true);
  lblChannels_ = shownOnly("Channels:", "lblChannels", 4, false);
  lblTimePoint_ = shownOnly("Time point:", "lblTimePoint", 5, false);

  cmdClose_ = new QPushButton(QStringLiteral("&Close"), this);
  cmdClose_->setObjectName(QStringLiteral("cmdClose"));
  cmdClose_->setGeometry(width() - Px(1200), Px(4320) + 5 * Px(300), Px(1155), Px(435));
  cmdClose_->setAutoDefault(false);  // Return, typed after a change, must not close the window
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
  lblMode_->setText(QString::fromLatin1(RenderModeText(state.Mode)));
  lblProjection_->setText(QString::fromLatin1(ProjectionText(state.Proj)));
  lblCrop_->setText(QString::fromStdString(CropText(state.Crop)));
  lblClip_->setText(QString::fromStdString(ClipText(state.Clip)));
  lblChannels_->setNum(viewer_.ChannelCount());
  lblTimePoint_->setText(viewer_.TimePointCount() ? QStringLiteral("%1 of %2").arg(viewer_.TimePoint()).arg(viewer_.TimePointCount())
                                                  : QStringLiteral("-"));
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
