#include "scripting/frm_parameters.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <deque>

namespace lumetrix {
namespace {

using scripting::ParameterId;

struct Asked {
  QString prompt, title, text;
};

class ParametersTest : public ::testing::Test {
 protected:
  ParametersTest() : window(new frmParameters(&state)) {
    window->SetInputBox([this](const QString& prompt, const QString& title, const QString& text) {
      asked.push_back({prompt, title, text});
      std::optional<QString> a;
      if (!answers.empty()) {
        a = answers.front();
        answers.pop_front();
      }
      return a;
    });
  }
  ~ParametersTest() override { delete window; }

  // An answer of std::nullopt is Cancel.
  void Answer(std::optional<QString> a) { answers.push_back(a); }
  void Click(QWidget* label) { QTest::mouseClick(label, Qt::LeftButton); }

  ViewState state;
  QPointer<frmParameters> window;
  std::deque<std::optional<QString>> answers;
  std::vector<Asked> asked;
};

TEST_F(ParametersTest, LayoutCaptionsAndTints) {
  EXPECT_EQ(window->windowTitle(), "Parameters");
  EXPECT_EQ(window->size(), QSize(286, 319));  // 4290 x 4785 twips
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_EQ(window->ValueLabel(ParameterId::X)->geometry(), QRect(86, 58, 53, 17));
  EXPECT_EQ(window->ValueLabel(ParameterId::ScaleX)->geometry().topLeft(), QPoint(216, 58));
  EXPECT_EQ(window->ValueLabel(ParameterId::YRot)->geometry().top(), 140);
  EXPECT_EQ(window->ValueLabel(ParameterId::LightBlue)->geometry().topLeft(), QPoint(216, 230));
  EXPECT_EQ(window->LightLabel()->geometry().topLeft(), QPoint(216, 254));
  EXPECT_EQ(window->CaptionLabel(ParameterId::XSpeed)->text(), "XRotSpeed:");
  EXPECT_EQ(window->CaptionLabel(ParameterId::Transparency)->text(), "Transparency:");
  // Captions sit left of their values and are wide enough for their text.
  for (const auto& f : scripting::ParameterFields()) {
    const QLabel* caption = window->CaptionLabel(f.id);
    const QLabel* value = window->ValueLabel(f.id);
    EXPECT_LE(caption->geometry().right(), value->geometry().left()) << f.label;
    EXPECT_GE(caption->width(), caption->fontMetrics().horizontalAdvance(caption->text())) << f.label;
    EXPECT_GE(caption->geometry().left(), 0) << f.label;
  }
  auto tint = [this](ParameterId id) { return window->ValueLabel(id)->palette().color(QPalette::Window); };
  EXPECT_EQ(tint(ParameterId::X), QColor(255, 254, 206));
  EXPECT_EQ(tint(ParameterId::YSpeed), QColor(255, 254, 206));
  EXPECT_EQ(tint(ParameterId::LightRed), QColor(255, 220, 220));
  EXPECT_EQ(tint(ParameterId::Green), QColor(220, 255, 220));
  EXPECT_EQ(tint(ParameterId::LightBlue), QColor(220, 220, 255));
  EXPECT_EQ(tint(ParameterId::Transparency), QColor(241, 241, 241));
  EXPECT_EQ(window->LightLabel()->palette().color(QPalette::Window), QColor(241, 241, 241));
  const auto* close = window->findChild<QPushButton*>("cmdClose");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->text(), "&Close");
  EXPECT_EQ(close->geometry(), QRect(206, 288, 77, 29));
}

TEST_F(ParametersTest, EmptyUntilTheFirstTickThenEvery333Ms) {
  EXPECT_TRUE(window->ValueLabel(ParameterId::Z)->text().isEmpty());
  EXPECT_TRUE(window->LightLabel()->text().isEmpty());
  EXPECT_EQ(window->Timer1()->interval(), 333);
  EXPECT_TRUE(window->Timer1()->isActive());
  QTRY_COMPARE_WITH_TIMEOUT(window->ValueLabel(ParameterId::Z)->text(), QString("-3.00"), 2000);
  EXPECT_EQ(window->ValueLabel(ParameterId::ScaleX)->text(), "30.00");
  EXPECT_EQ(window->ValueLabel(ParameterId::ScaleZ)->text(), "100.00");
  EXPECT_EQ(window->ValueLabel(ParameterId::Transparency)->text(), "0.30");
  EXPECT_EQ(window->ValueLabel(ParameterId::LightRed)->text(), "0.40");
  EXPECT_EQ(window->LightLabel()->text(), "Off");
  // The labels follow changes made elsewhere (a script, the mouse).
  state.YRot = 123.456f;
  state.LightOn = true;
  QTRY_COMPARE_WITH_TIMEOUT(window->ValueLabel(ParameterId::YRot)->text(), QString("123.46"), 2000);
  EXPECT_EQ(window->LightLabel()->text(), "On");
}

TEST_F(ParametersTest, ClickAsksWithThePromptTitleAndCurrentValue) {
  state.Transparency = 0.3f;
  Answer(std::optional<QString>("0.5"));
  Click(window->ValueLabel(ParameterId::Transparency));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].prompt, "SetColor Transparency");
  EXPECT_EQ(asked[0].title, "Change Parameter");
  EXPECT_EQ(asked[0].text, "0.3");
  EXPECT_EQ(state.Transparency, 0.5f);
  Answer(std::optional<QString>("7"));
  Click(window->ValueLabel(ParameterId::Z));
  EXPECT_EQ(asked[1].prompt, "Setz");
  EXPECT_EQ(asked[1].text, "-3");
  EXPECT_EQ(state.PosZ, 7.0f);
}

TEST_F(ParametersTest, ColourInputIsClampedOtherInputIsNot) {
  Answer(std::optional<QString>("5"));
  window->ChangeParameter(ParameterId::Red);
  EXPECT_EQ(state.Color[0], 1.0f);
  Answer(std::optional<QString>("-2"));
  window->ChangeParameter(ParameterId::Red);
  EXPECT_EQ(state.Color[0], 0.0f);
  Answer(std::optional<QString>("0.25"));
  window->ChangeParameter(ParameterId::Red);
  EXPECT_EQ(state.Color[0], 0.25f);
  Answer(std::optional<QString>("5"));
  window->ChangeParameter(ParameterId::XRot);
  EXPECT_EQ(state.XRot, 5.0f);
  Answer(std::optional<QString>("-2"));
  window->ChangeParameter(ParameterId::LightGreen);
  EXPECT_EQ(state.LightColor[1], 0.0f);
}

TEST_F(ParametersTest, CancelOrEmptyChangesNothingAndTextIsReadAsANumber) {
  state.XRot = 12;
  Answer(std::nullopt);
  window->ChangeParameter(ParameterId::XRot);
  Answer(std::optional<QString>(""));
  window->ChangeParameter(ParameterId::XRot);
  EXPECT_EQ(state.XRot, 12);
  Answer(std::optional<QString>("abc"));
  window->ChangeParameter(ParameterId::XRot);
  EXPECT_EQ(state.XRot, 0);
  Answer(std::optional<QString>("2.5 apples"));
  window->ChangeParameter(ParameterId::ScaleY);
  EXPECT_EQ(state.ScaleY, 2.5f);
}

TEST_F(ParametersTest, TwoClicksOnTheLightRestoreIt) {
  window->Refresh();
  EXPECT_EQ(window->LightLabel()->text(), "Off");
  Click(window->LightLabel());
  EXPECT_TRUE(state.LightOn);
  EXPECT_EQ(window->LightLabel()->text(), "On");
  Click(window->LightLabel());
  EXPECT_FALSE(state.LightOn);
  EXPECT_EQ(window->LightLabel()->text(), "Off");
  EXPECT_TRUE(asked.empty());
}

TEST_F(ParametersTest, ClickWithoutReleaseOnTheLabelDoesNothing) {
  QTest::mousePress(window->ValueLabel(ParameterId::X), Qt::LeftButton);
  QTest::mouseRelease(window->ValueLabel(ParameterId::X), Qt::LeftButton, {}, QPoint(-5, -5));
  QTest::mouseClick(window->ValueLabel(ParameterId::X), Qt::RightButton);
  EXPECT_TRUE(asked.empty());
}

TEST_F(ParametersTest, CloseDeletesTheWindowAndANewOneReadsTheStateAgain) {
  state.PosX = 4.5f;
  window->show();
  auto* close = window->findChild<QPushButton*>("cmdClose");
  close->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
  frmParameters again(&state);
  again.Refresh();
  EXPECT_EQ(again.ValueLabel(ParameterId::X)->text(), "4.50");
}

}  // namespace
}  // namespace lumetrix
