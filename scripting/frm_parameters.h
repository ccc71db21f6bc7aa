#pragma once
// "Parameters": the live view state, refreshed at once when a value is set and at most every
// 333 ms while the view turns frame after frame; a click on
// a value asks for a new one (clamped to 0..1 for colours, transparency and light; refused with
// a message when it is no finite number), a click on the light value switches the light. The
// window holds no state of its own and deletes itself when closed.

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>

#include "core/view_parameters.h"
#include "scripting/parameter_fields.h"

class QLabel;
class QPushButton;
class QTimer;

namespace lumetrix {

namespace scripting {
class ClickableLabel;
}

class frmParameters : public QDialog {
  Q_OBJECT
 public:
  // Asks for a text: prompt, title, default text; nothing when cancelled.
  using InputBox = std::function<std::optional<QString>(const QString& prompt, const QString& title,
                                                        const QString& defaultText)>;

  using MessageBox = std::function<void(const QString& text)>;

  // `viewer` outlives this window (it is the parent's); the labels are filled at once.
  explicit frmParameters(ViewParameters& viewer, QWidget* parent = nullptr);

  void SetInputBox(InputBox input) { input_ = std::move(input); }
  void SetMessageBox(MessageBox show) { message_ = std::move(show); }

  // Every value label from the view state.
  void Refresh();
  // A refresh within kRefreshMs, for changes that come with every drawn frame.
  void RefreshSoon();
  static constexpr int kRefreshMs = 333;
  // The change protocol of a value label, and the light toggle.
  void ChangeParameter(scripting::ParameterId id);
  void ToggleLight();

  QLabel* ValueLabel(scripting::ParameterId id) const;
  QLabel* CaptionLabel(scripting::ParameterId id) const;
  QLabel* LightLabel() const;
  QLabel* ModeLabel() const { return lblMode_; }
  QLabel* ProjectionLabel() const { return lblProjection_; }
  QLabel* CropLabel() const { return lblCrop_; }
  QLabel* ClipLabel() const { return lblClip_; }
  QLabel* ChannelsLabel() const { return lblChannels_; }
  QLabel* TimePointLabel() const { return lblTimePoint_; }

 private:
  ViewParameters& viewer_;
  InputBox input_;
  MessageBox message_;
  std::array<scripting::ClickableLabel*, scripting::kNumericParameterCount> values_{};
  std::array<QLabel*, scripting::kNumericParameterCount> captions_{};
  scripting::ClickableLabel* lblLight_ = nullptr;
  QLabel* lblMode_ = nullptr;  // the render mode, shown only (scripts set it)
  QLabel* lblProjection_ = nullptr;  // shown only, like the mode
  QLabel* lblCrop_ = nullptr;        // "crop x 0-63, y 0-63, z 0-31" or "whole volume"
  QLabel* lblClip_ = nullptr;        // "plane 0, 0, 1, 10" or "no plane"
  QLabel* lblChannels_ = nullptr;   // shown only, like the mode
  QLabel* lblTimePoint_ = nullptr;  // "3 of 5"
  QPushButton* cmdClose_ = nullptr;
  QTimer* refresh_ = nullptr;
};

}  // namespace lumetrix
