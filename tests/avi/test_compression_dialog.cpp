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
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "export/avi_ui/compression_dialog.h"
#include "export/avi_ui/compression_settings.h"
#include "export/avi_ui/dialog_options_source.h"

namespace lumetrix::avi {
namespace {

const EncoderCatalog& Catalog() { return EncoderCatalog::Installed(); }

template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

TEST(Dialog, EnablesWhatTheEncoderTakes) {
  CompressionOptionsDialog dialog(Catalog(), CompressionOptions{});
  auto* compressor = Child<QComboBox>(dialog, "cmbCompressor");
  ASSERT_EQ(compressor->count(), static_cast<int>(Catalog().Encoders().size()));
  auto* keys = Child<QCheckBox>(dialog, "chkKeyFrames");
  // encoder: quality, key frames, data rate
  for (const auto& [codec, q, k, r] : {std::tuple{"mjpeg", true, false, true}, {"raw", false, false, false},
                                       {"ffv1", false, true, false}, {"mpeg4", true, true, true}}) {
    compressor->setCurrentIndex(compressor->findData(codec));
    EXPECT_EQ(Child<QSlider>(dialog, "sldQuality")->isEnabled(), q) << codec;
    EXPECT_EQ(keys->isEnabled(), k) << codec;
    EXPECT_EQ(Child<QCheckBox>(dialog, "chkDataRate")->isEnabled(), r) << codec;
  }
  EXPECT_FALSE(Child<QSpinBox>(dialog, "spnKeyFrames")->isEnabled());
  keys->setChecked(true);
  EXPECT_TRUE(Child<QSpinBox>(dialog, "spnKeyFrames")->isEnabled());
}

// OK gives and remembers what the controls show, the next dialog opens on it, Cancel forgets nothing.
TEST(Dialog, OkRemembersTheChoiceAndCancelForgetsNothing) {
  QTemporaryDir dir;
  QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()), CompressionOptions{});
  DialogOptionsSource source(nullptr, &settings);
  const auto answer = [](QDialogButtonBox::StandardButton which, const char* codec) {
    QTimer::singleShot(0, [=] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      auto* compressor = Child<QComboBox>(*dialog, "cmbCompressor");
      if (codec) compressor->setCurrentIndex(compressor->findData(codec));
      if (which == QDialogButtonBox::Ok && codec) {
        Child<QSlider>(*dialog, "sldQuality")->setValue(55);
        EXPECT_EQ(Child<QLabel>(*dialog, "lblQualityValue")->text(), "55");
        Child<QCheckBox>(*dialog, "chkKeyFrames")->setChecked(true);
        Child<QSpinBox>(*dialog, "spnKeyFrames")->setValue(30);
        Child<QCheckBox>(*dialog, "chkDataRate")->setChecked(true);
        Child<QSpinBox>(*dialog, "spnDataRate")->setValue(900);
      }
      dialog->findChild<QDialogButtonBox*>()->button(which)->click();
    });
  };
  answer(QDialogButtonBox::Ok, "mpeg4");
  const auto chosen = source.ChooseOptions(Catalog());
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->Codec, "mpeg4");
  EXPECT_EQ(chosen->Quality, 55);
  EXPECT_TRUE(chosen->KeyFramesOn && chosen->DataRateOn);
  EXPECT_EQ(chosen->KeyFrameEvery, 30);
  EXPECT_EQ(chosen->DataRateKBps, 900);
  EXPECT_EQ(settings.value("AVI/Codec").toString(), "mpeg4");
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()), *chosen);
  answer(QDialogButtonBox::Ok, nullptr);
  EXPECT_EQ(source.ChooseOptions(Catalog()), chosen);
  EXPECT_EQ(RememberedOptionsSource(&settings).ChooseOptions(Catalog()), chosen);
  answer(QDialogButtonBox::Cancel, "mjpeg");
  EXPECT_FALSE(source.ChooseOptions(Catalog()));
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()), *chosen);
}

TEST(Dialog, GarbageSettingsFallBackToDefaults) {
  QTemporaryDir dir;
  QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
  for (const auto& [key, value] : {std::pair{"Codec", "indeo-5"}, {"Quality", "very good"}, {"KeyFrames", "perhaps"},
                                   {"KeyFrameEvery", "-4"}, {"DataRateOn", "yes please"}, {"DataRate", "99999999999999999999"}})
    settings.setValue(QString("AVI/") + key, value);
  EXPECT_EQ(LoadCompressionOptions(settings, Catalog()), CompressionOptions{});
  settings.setValue("AVI/Codec", "RAW");
  settings.setValue("AVI/Quality", " 12 ");
  settings.setValue("AVI/KeyFrames", "true");
  const CompressionOptions loaded = LoadCompressionOptions(settings, Catalog());
  EXPECT_EQ(loaded.Codec, "raw");
  EXPECT_EQ(loaded.Quality, 12);
  EXPECT_TRUE(loaded.KeyFramesOn);
}

}  // namespace
}  // namespace lumetrix::avi
