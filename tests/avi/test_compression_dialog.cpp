// The compression options dialog and the remembered choice, in an offscreen window system.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "export/avi_ui/compression_dialog.h"
#include "export/avi_ui/compression_settings.h"
#include "export/avi_ui/dialog_options_source.h"

namespace lumetrix::avi {
namespace {

const EncoderCatalog& Catalog() { return EncoderCatalog::Installed(); }

class Dialog : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};

  template <typename T>
  static T* Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  // Presses OK or Cancel of the dialog that is about to open.
  static void PressWhenShown(QDialogButtonBox::StandardButton which, std::function<void(QDialog&)> before = {}) {
    QTimer::singleShot(0, [which, before] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      if (before) before(*dialog);
      dialog->findChild<QDialogButtonBox*>()->button(which)->click();
    });
  }
};

TEST_F(Dialog, ListsTheCatalogueByDisplayName) {
  CompressionOptionsDialog dialog(Catalog(), CompressionOptions{});
  EXPECT_EQ(dialog.windowTitle(), "Video Compression");
  auto* compressor = Child<QComboBox>(dialog, "cmbCompressor");
  ASSERT_EQ(compressor->count(), static_cast<int>(Catalog().Encoders().size()));
  for (int i = 0; i < compressor->count(); ++i)
    EXPECT_EQ(compressor->itemText(i).toStdString(), Catalog().Encoders()[i].DisplayName);
  EXPECT_EQ(compressor->itemText(0), "Full Frames (Uncompressed)");
  EXPECT_GE(compressor->findText("Motion JPEG"), 0);
}

TEST_F(Dialog, QualityAndRateControlsFollowTheEncoder) {
  CompressionOptionsDialog dialog(Catalog(), CompressionOptions{});
  auto* compressor = Child<QComboBox>(dialog, "cmbCompressor");
  auto* quality = Child<QSlider>(dialog, "sldQuality");
  auto* keys = Child<QCheckBox>(dialog, "chkKeyFrames");
  auto* keyEvery = Child<QSpinBox>(dialog, "spnKeyFrames");
  auto* rate = Child<QCheckBox>(dialog, "chkDataRate");
  compressor->setCurrentIndex(compressor->findData("mjpeg"));
  EXPECT_TRUE(quality->isEnabled());
  EXPECT_TRUE(rate->isEnabled());
  compressor->setCurrentIndex(compressor->findData("raw"));
  EXPECT_FALSE(quality->isEnabled());
  EXPECT_FALSE(keys->isEnabled());
  EXPECT_FALSE(rate->isEnabled());
  compressor->setCurrentIndex(compressor->findData("mpeg4"));
  EXPECT_TRUE(keys->isEnabled());
  EXPECT_FALSE(keyEvery->isEnabled());
  keys->setChecked(true);
  EXPECT_TRUE(keyEvery->isEnabled());
}

TEST_F(Dialog, OptionsReflectTheControls) {
  CompressionOptions initial;
  initial.Codec = "mpeg4";
  initial.Quality = 42;
  initial.KeyFramesOn = true;
  initial.KeyFrameEvery = 7;
  initial.DataRateOn = true;
  initial.DataRateKBps = 900;
  CompressionOptionsDialog dialog(Catalog(), initial);
  EXPECT_EQ(dialog.Options(), initial);
  EXPECT_EQ(Child<QLabel>(dialog, "lblQualityValue")->text(), "42");
  Child<QSlider>(dialog, "sldQuality")->setValue(77);
  EXPECT_EQ(Child<QLabel>(dialog, "lblQualityValue")->text(), "77");
  Child<QSpinBox>(dialog, "spnKeyFrames")->setValue(30);
  const CompressionOptions now = dialog.Options();
  EXPECT_EQ(now.Quality, 77);
  EXPECT_EQ(now.KeyFrameEvery, 30);
}

TEST_F(Dialog, OkRemembersTheChoice) {
  DialogOptionsSource source(nullptr, &settings);
  PressWhenShown(QDialogButtonBox::Ok, [](QDialog& dialog) {
    auto* compressor = dialog.findChild<QComboBox*>("cmbCompressor");
    compressor->setCurrentIndex(compressor->findData("ffv1"));
    dialog.findChild<QSlider*>("sldQuality")->setValue(55);
  });
  const auto chosen = source.ChooseOptions(Catalog());
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->Codec, "ffv1");
  EXPECT_EQ(chosen->Quality, 55);
  EXPECT_EQ(settings.value("AVI/Codec").toString(), "ffv1");
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()), *chosen);
  // The next dialog opens on the remembered choice.
  PressWhenShown(QDialogButtonBox::Ok);
  EXPECT_EQ(source.ChooseOptions(Catalog()), chosen);
  RememberedOptionsSource remembered(&settings);
  EXPECT_EQ(remembered.ChooseOptions(Catalog()), chosen);
}

TEST_F(Dialog, CancelReturnsNothingAndForgetsNothing) {
  CompressionOptions before;
  before.Codec = "raw";
  SaveCompressionOptions(settings, before);
  DialogOptionsSource source(nullptr, &settings);
  PressWhenShown(QDialogButtonBox::Cancel, [](QDialog& dialog) {
    auto* compressor = dialog.findChild<QComboBox*>("cmbCompressor");
    compressor->setCurrentIndex(compressor->findData("mjpeg"));
  });
  EXPECT_FALSE(source.ChooseOptions(Catalog()));
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()).Codec, "raw");
}

TEST_F(Dialog, GarbageSettingsFallBackToDefaults) {
  const CompressionOptions defaults;
  settings.setValue("AVI/Codec", "indeo-5");
  settings.setValue("AVI/Quality", "very good");
  settings.setValue("AVI/KeyFrames", "perhaps");
  settings.setValue("AVI/KeyFrameEvery", -4);
  settings.setValue("AVI/DataRateOn", "yes please");
  settings.setValue("AVI/DataRate", "99999999999999999999");
  const CompressionOptions loaded = LoadCompressionOptions(settings, Catalog());
  EXPECT_EQ(loaded, defaults);
  settings.setValue("AVI/Codec", "RAW");
  settings.setValue("AVI/Quality", " 12 ");
  settings.setValue("AVI/KeyFrames", "true");
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()).Codec, "raw");
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()).Quality, 12);
  EXPECT_TRUE(LoadCompressionOptions(settings, Catalog()).KeyFramesOn);
}

TEST_F(Dialog, NothingRememberedGivesDefaults) {
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()), CompressionOptions{});
}

}  // namespace
}  // namespace lumetrix::avi

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
