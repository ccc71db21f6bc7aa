#pragma once
// "Parameters": the live view state, refreshed every 333 ms; a click on a value asks for a new
// one (clamped to 0..1 for colours, transparency and light), a click on the light value
// switches the light. The window holds no state of its own and deletes itself when closed.

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>

#include "scripting/parameter_fields.h"
#include "core/view_state.h"

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

  // `state` belongs to the main window (the parent) and outlives this window.
  explicit frmParameters(ViewState* state, QWidget* parent = nullptr);

  void SetInputBox(InputBox input) { input_ = std::move(input); }

  // Timer1 tick: every value label from the view state.
  void Refresh();
  // The change protocol of a value label, and the light toggle.
  void ChangeParameter(scripting::ParameterId id);
  void ToggleLight();

  QLabel* ValueLabel(scripting::ParameterId id) const;
  QLabel* CaptionLabel(scripting::ParameterId id) const;
  QLabel* LightLabel() const;
  QTimer* Timer1() const { return timer_; }

  static constexpr int kRefreshMs = 333;

 private:
  ViewState* state_;
  InputBox input_;
  std::array<scripting::ClickableLabel*, scripting::kNumericParameterCount> values_{};
  std::array<QLabel*, scripting::kNumericParameterCount> captions_{};
  scripting::ClickableLabel* lblLight_ = nullptr;
  QPushButton* cmdClose_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace lumetrix
