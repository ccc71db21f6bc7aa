// The parameters window over a recording viewer: what it shows, and what it writes through it.
#include "scripting/frm_parameters.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "core/view_value.h"

namespace lumetrix {
namespace {

using scripting::ParameterId;

struct FakeViewer : ViewParameters {
  ViewState state;
  std::vector<float> written;  // every value the window wrote
  const ViewState& View() const override { return state; }
  void SetViewField(ViewField field, float value) override {
    written.push_back(value);
    FieldOf(state, field) = value;
  }
  void SwitchLight(bool on) override { state.LightOn = on; }
  int32_t ChannelCount() const override { return 2; }
  int32_t TimePointCount() const override { return 5; }
  int32_t TimePoint() const override { return 3; }
};

class ParametersTest : public ::testing::Test {
 protected:
  ParametersTest() : window(new frmParameters(viewer)) {
    window->SetInputBox([this](const QString& prompt, const QString& title, const QString& text) {
      asked = {prompt, title, text};
      return answer;
    });
    window->SetMessageBox([this](const QString& text) { messages << text; });
  }
  ~ParametersTest() override { delete window; }
  // Clicks a value label; the box is answered with `a` (nothing: Cancel).
  void Change(ParameterId id, std::optional<QString> a) {
    answer = std::move(a);
    QTest::mouseClick(window->ValueLabel(id), Qt::LeftButton);
  }
  FakeViewer viewer;
  QPointer<frmParameters> window;
  std::optional<QString> answer;
  QStringList asked, messages;
};

TEST_F(ParametersTest, ShowsTheViewAtOnceAndOnEveryRefreshAndGoesWhenClosed) {
  for (const auto& [id, text] : {std::pair{ParameterId::PosZ, "-3.00"}, {ParameterId::ScaleZ, "100.00"},
                                 {ParameterId::LightRed, "0.40"}})
    EXPECT_EQ(window->ValueLabel(id)->text(), text);
  EXPECT_EQ(window->LightLabel()->text(), "Off");
  viewer.state.YRot = 123.456f;
  viewer.state.LightOn = true;
  viewer.state.Mode = RenderMode::Maximum;
  window->Refresh();
  EXPECT_EQ(window->ValueLabel(ParameterId::YRot)->text(), "123.46");
  EXPECT_EQ(window->LightLabel()->text(), "On");
  EXPECT_EQ(window->ModeLabel()->text(), "Maximum");
  EXPECT_EQ(std::pair(window->ChannelsLabel()->text(), window->TimePointLabel()->text()), std::pair(QString("2"), QString("3 of 5")));
  window->show();
  window->findChild<QPushButton*>("cmdClose")->click();  // the window deletes itself
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST_F(ParametersTest, ShowsHowTheVolumeIsDrawnAndCutInFull) {
  QStringList modes;
  for (int m = 0; m < 7; ++m) {
    viewer.state.Mode = static_cast<RenderMode>(m);
    window->Refresh();
    modes << window->ModeLabel()->text();
  }
  EXPECT_EQ(modes, (QStringList{"Additive", "Maximum", "Volume", "MIP", "Attenuated", "MinIP", "Iso"}));
  const std::tuple<CropBox, ClipPlane, QStringList> cuts[] = {  // the start view first
      {{}, {}, {"Perspective", "whole volume", "no plane"}},
      {{{0, 63, 0, 63, 0, 31}}, {true, {0, 0, 1, 10}},
       {"Orthographic", "crop x 0-63, y 0-63, z 0-31", "plane 0, 0, 1, 10"}},
      {{{12.5f, kCropToEnd, 0, kCropToEnd, 3, 3}}, {true, {0.25f, -1, 0, -2.5f}},
       {"Orthographic", "crop x 12.5-end, y 0-end, z 3-3", "plane 0.25, -1, 0, -2.5"}},
      {{{0, 1023, 0, 1023, 100, 255}}, {false, {1, 1, 1, 1}},
       {"Orthographic", "crop x 0-1023, y 0-1023, z 100-255", "no plane"}}};
  window->show();
  for (const auto& [crop, clip, texts] : cuts) {
    viewer.state.Crop = crop, viewer.state.Clip = clip;
    window->Refresh();
    EXPECT_EQ((QStringList{window->ProjectionLabel()->text(), window->CropLabel()->text(),
                           window->ClipLabel()->text()}), texts);
    for (QLabel* label : {window->CropLabel(), window->ClipLabel()})  // the whole text is in sight
      EXPECT_TRUE(label->width() >= label->fontMetrics().horizontalAdvance(label->text()) &&
                  label->geometry().right() <= window->width()) << label->text().toStdString();
    viewer.state.Proj = Projection::Orthographic;
  }
}

TEST_F(ParametersTest, EachLabelAsksForAndWritesItsOwnField) {
  for (const auto& f : scripting::ParameterFields()) {
    viewer.state = ViewState{};
    Change(f.id, QString("0.625"));
    EXPECT_EQ(asked.value(1), "Change Parameter");
    if (f.id == ParameterId::PosZ) {
      EXPECT_EQ(asked, (QStringList{"Setz", "Change Parameter", "-3"}));  // the current value as default
    }
    int changed = 0;
    for (const auto& g : scripting::ParameterFields()) changed += FieldOf(viewer.state, g.id) != FieldOf(ViewState{}, g.id);
    EXPECT_EQ(changed, 1) << f.label;
    EXPECT_EQ(FieldOf(viewer.state, f.id), 0.625f) << f.label;
  }
  EXPECT_EQ(viewer.state.LightColor[3], 1.0f);  // the light's alpha is not shown and not touched
}

TEST_F(ParametersTest, ColourInputIsClampedOtherInputReadAsANumberAndInfinitiesRefused) {
  const std::tuple<ParameterId, const char*, float> stored[] = {
      {ParameterId::Red, "5", 1},         {ParameterId::Red, "-2", 0},            {ParameterId::Blue, "0.25", 0.25f},
      {ParameterId::LightGreen, "-2", 0}, {ParameterId::Transparency, "1e39", 1}, {ParameterId::XRot, "5", 5},
      {ParameterId::PosX, "abc", 0},      {ParameterId::ScaleY, "2.5 apples", 2.5f}};
  for (const auto& [id, text, value] : stored) {
    Change(id, QString(text));
    EXPECT_EQ(FieldOf(viewer.state, id), value) << text;
  }
  EXPECT_TRUE(messages.isEmpty());
  viewer.written.clear();
  for (auto [id, text] : {std::pair{ParameterId::XRot, "1e999"}, {ParameterId::PosX, "-1e39"}, {ParameterId::Red, "1e999"}})
    Change(id, QString(text));
  EXPECT_EQ(messages, QStringList(3, kNotAViewValue));
  EXPECT_TRUE(viewer.written.empty());
  Change(ParameterId::XRot, std::nullopt);  // Cancel
  Change(ParameterId::XRot, QString(""));
  EXPECT_TRUE(viewer.written.empty());
  EXPECT_EQ(messages.size(), 3);
}

TEST_F(ParametersTest, TwoClicksOnTheLightRestoreItAndOtherClicksDoNothing) {
  QTest::mouseClick(window->LightLabel(), Qt::LeftButton);
  EXPECT_TRUE(viewer.state.LightOn);
  EXPECT_EQ(window->LightLabel()->text(), "On");
  QTest::mouseClick(window->LightLabel(), Qt::LeftButton);
  EXPECT_FALSE(viewer.state.LightOn);
  EXPECT_EQ(window->LightLabel()->text(), "Off");
  QTest::mousePress(window->ValueLabel(ParameterId::PosX), Qt::LeftButton);
  QTest::mouseRelease(window->ValueLabel(ParameterId::PosX), Qt::LeftButton, {}, QPoint(-5, -5));
  QTest::mouseClick(window->ValueLabel(ParameterId::PosX), Qt::RightButton);
  EXPECT_TRUE(asked.isEmpty());
}

TEST_F(ParametersTest, CaptionsStandClearOfTheirValuesAClickOnEitherChangesItAndReturnKeepsTheWindow) {
  window->show();
  for (const auto& f : scripting::ParameterFields()) {
    QLabel* caption = window->CaptionLabel(f.id);
    const QRect value = window->ValueLabel(f.id)->geometry();
    EXPECT_GE(caption->width(), caption->fontMetrics().horizontalAdvance(caption->text())) << f.label;
    EXPECT_TRUE(caption->x() >= 0 && caption->geometry().right() < value.left()) << f.label;
    EXPECT_LE(value.right(), window->width()) << f.label;
    asked.clear();
    QTest::mouseClick(caption, Qt::LeftButton, {}, QPoint(1, 1));  // the caption's far end
    EXPECT_EQ(asked.value(0), f.prompt) << f.label;
  }
  QTest::keyClick(window, Qt::Key_Return);
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace lumetrix
