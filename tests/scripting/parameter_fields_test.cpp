#include "scripting/parameter_fields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace lumetrix::scripting {
namespace {

TEST(ParameterFields, EveryFieldOnceWithItsPrompt) {
  std::set<ParameterId> seen;
  for (const auto& f : ParameterFields()) EXPECT_TRUE(seen.insert(f.id).second);
  EXPECT_EQ(seen.size(), 17u);
  EXPECT_STREQ(FieldOf(ParameterId::X).prompt, "SetX");
  EXPECT_STREQ(FieldOf(ParameterId::Y).prompt, "Sety");
  EXPECT_STREQ(FieldOf(ParameterId::Z).prompt, "Setz");
  EXPECT_STREQ(FieldOf(ParameterId::Transparency).prompt, "SetColor Transparency");
  EXPECT_STREQ(FieldOf(ParameterId::LightGreen).prompt, "SetColor Lighting Green");
  EXPECT_STREQ(FieldOf(ParameterId::XSpeed).caption, "XRotSpeed:");
  EXPECT_STREQ(FieldOf(ParameterId::XRot).label, "lblXrot");
}

TEST(ParameterFields, RefreshOrderPutsLightingBeforeColour) {
  const auto& f = ParameterFields();
  EXPECT_EQ(f[0].id, ParameterId::X);
  EXPECT_EQ(f[9].id, ParameterId::YSpeed);
  EXPECT_EQ(f[10].id, ParameterId::LightRed);
  EXPECT_EQ(f[13].id, ParameterId::Red);
  EXPECT_EQ(f[16].id, ParameterId::Transparency);
}

TEST(ParameterFields, EachFieldWritesItsOwnViewStateMember) {
  for (const auto& f : ParameterFields()) {
    ViewState state;
    const ViewState before = state;
    FieldValue(state, f.id) = 0.625f;
    int changed = 0;
    for (const auto& g : ParameterFields()) changed += FieldValue(state, g.id) != FieldValue(before, g.id);
    EXPECT_EQ(changed, 1) << f.label;
  }
  ViewState state;
  FieldValue(state, ParameterId::LightBlue) = 0.75f;
  EXPECT_EQ(state.LightColor[2], 0.75f);
  EXPECT_EQ(state.LightColor[3], 1.0f);  // alpha is not shown and not touched
  FieldValue(state, ParameterId::Z) = 7;
  EXPECT_EQ(state.PosZ, 7);
}

TEST(ApplyParameterText, ClampedFieldsStayWithinZeroAndOne) {
  ViewState state;
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::Red, "5"));
  EXPECT_EQ(state.Color[0], 1.0f);
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::Red, "-2"));
  EXPECT_EQ(state.Color[0], 0.0f);
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::Red, "0.25"));
  EXPECT_EQ(state.Color[0], 0.25f);
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::Transparency, "1e999"));
  EXPECT_EQ(state.Transparency, 1.0f);
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::LightRed, "-1e999"));
  EXPECT_EQ(state.LightColor[0], 0.0f);
}

TEST(ApplyParameterText, OtherFieldsTakeAnyNumber) {
  ViewState state;
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::XRot, "5"));
  EXPECT_EQ(state.XRot, 5.0f);
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::ScaleZ, "250.5"));
  EXPECT_EQ(state.ScaleZ, 250.5f);
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::X, "abc"));
  EXPECT_EQ(state.PosX, 0.0f);
  EXPECT_TRUE(ApplyParameterText(state, ParameterId::Y, "2.5 apples"));
  EXPECT_EQ(state.PosY, 2.5f);
}

TEST(ApplyParameterText, EmptyTextChangesNothing) {
  ViewState state;
  state.XRot = 12;
  EXPECT_FALSE(ApplyParameterText(state, ParameterId::XRot, ""));
  EXPECT_EQ(state.XRot, 12);
}

TEST(ApplyParameterText, NumbersBeyondTheFloatRangeKeepTheOldValue) {
  ViewState state;
  state.PosX = 4;
  EXPECT_FALSE(ApplyParameterText(state, ParameterId::X, "1e39"));
  EXPECT_FALSE(ApplyParameterText(state, ParameterId::X, "-1e999"));
  EXPECT_EQ(state.PosX, 4);
}

TEST(LightText, OnAndOff) {
  EXPECT_STREQ(LightText(true), "On");
  EXPECT_STREQ(LightText(false), "Off");
}

}  // namespace
}  // namespace lumetrix::scripting
