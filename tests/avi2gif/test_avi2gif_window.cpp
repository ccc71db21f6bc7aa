// The "AVItoGIF" window through its controls: import with progress, options, preview, figures,
// saving and its messages. (The converter's own flows are tested without the window.)

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <bit>

#include "export/avi2gif_ui/frm_avi2gif.h"
#include "export/avi2gif_ui/preview_canvas.h"
#include "tests/avi2gif/avi2gif_test_support.h"
#include "widgets/uc_progress.h"

namespace lumetrix::avi2gif {
namespace {

using namespace test;

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    window = new AVI2GIF;
    Hook(*window);
    window->SetSaveFileChooser([this] {
      ++save_dialogs;
      return save_answer;
    });
    ASSERT_TRUE(RecordMovie(movie, SyntheticFrames(16, 8, 45), 15));
  }
  void TearDown() override {
    if (window) window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void Hook(AVI2GIF& w) {
    w.SetMessageHook([this](const QString& text, QMessageBox::Icon icon) { messages << text, icons.push_back(icon); });
  }
  template <typename T>
  T* Child(const char* name) {
    T* c = window->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  // Screen, frames, palette depth and entries as the window shows them.
  QStringList Figures() {
    QStringList texts;
    for (const char* name : {"lblScreenV", "lblFramesV", "lblPaletteV", "lblEntriesV"}) texts << Child<QLabel>(name)->text();
    return texts;
  }

  TempFolder folder;
  std::string movie = folder.File("movie.avi");
  QPointer<AVI2GIF> window;
  QStringList messages;
  std::vector<QMessageBox::Icon> icons;
  QString save_answer;
  int save_dialogs = 0;
};

// The bar moves while events run; the preview shows frame 1 the right way up, steps through the
// frames at the movie's delay and wraps; the palette grid, figures and zoom follow the movie.
TEST_F(Window, OpeningImportsWithProgressAndStartsThePreview) {
  EXPECT_TRUE(Child<QRadioButton>("optPallette1")->isChecked());  // Optimal
  EXPECT_TRUE(Child<QRadioButton>("optDither0")->isChecked());    // None
  EXPECT_EQ(Figures(), (QStringList{"0x0", "0", "0 bpp", "0 entries"}));
  std::vector<int> values;
  auto* bar = Child<widgets::ucProgress>("ucProgress");
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] { values.push_back(bar->Value()); });
  probe.start(0);
  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  probe.stop();
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(std::tuple(bar->Max(), bar->Value()), std::tuple(45, 0));
  ASSERT_FALSE(values.empty());
  EXPECT_GT(*std::max_element(values.begin(), values.end()), 0);
  const int entries = window->Converter().Document().GlobalPaletteEntries();
  ASSERT_GT(entries, 2);
  const int bits = std::bit_width(static_cast<unsigned>(entries - 1));  // bits per index
  EXPECT_EQ(Figures(), (QStringList{"16x8", "45", QString("%1 bpp").arg(bits), QString("%1 entries").arg(entries)}));
  auto* timer = Child<QTimer>("tmrDelay");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 70);  // delay 7 hundredths
  auto* canvas = Child<PreviewCanvas>("ucCanvas");
  ASSERT_EQ(canvas->Picture().size(), QSize(16, 8));
  const auto want = TopDownPicture(SyntheticFrame(16, 8, 0)).Pixel(0, 0);
  const QColor shown = canvas->Picture().pixelColor(0, 0);
  EXPECT_NEAR(shown.red(), want.red, 40);
  EXPECT_NEAR(shown.green(), want.green, 40);
  EXPECT_NEAR(shown.blue(), want.blue, 40);
  EXPECT_EQ(window->Player().CurrentFrame(), 1);
  for (int i = 0; i < 45; ++i) QMetaObject::invokeMethod(timer, "timeout");
  EXPECT_EQ(window->Player().CurrentFrame(), 1);
  QMetaObject::invokeMethod(timer, "timeout");
  EXPECT_EQ(window->Player().CurrentFrame(), 2);
  const auto e0 = window->Converter().Document().GlobalPaletteRGBEntry(0);  // the grid's first cell
  EXPECT_EQ(Child<QLabel>("iPalette")->pixmap().toImage().pixelColor(2, 2), QColor(e0.red, e0.green, e0.blue));
  Child<QSlider>("ucSlider1")->setValue(3);
  EXPECT_EQ(canvas->Zoom(), 3);
  EXPECT_EQ(canvas->size(), QSize(48, 24));
}

TEST_F(Window, ChangingAnOptionImportsTheMovieAgain) {
  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  Child<QRadioButton>("optPallette0")->click();
  EXPECT_EQ(window->Converter().PaletteMode(), gif::mDither8bpp::kGreyScale);
  EXPECT_EQ(Figures(), (QStringList{"16x8", "45", "8 bpp", "256 entries"}));
  Child<QRadioButton>("optPallette2")->click();
  EXPECT_EQ(window->Converter().PaletteMode(), gif::mDither8bpp::kWebSafe);
  EXPECT_EQ(Figures().last(), "216 entries");
  Child<QRadioButton>("optDither1")->click();
  EXPECT_EQ(window->Converter().DitherMode(), gif::mDither8bpp::kOrdered);
  Child<QRadioButton>("optDither2")->click();
  EXPECT_EQ(window->Converter().DitherMode(), gif::mDither8bpp::kFloydSteinberg);
  Child<QCheckBox>("chkSwap")->click();
  EXPECT_TRUE(window->Converter().SwapRG());
  EXPECT_EQ(window->Converter().Document().FramesCount(), 45);
  EXPECT_TRUE(messages.isEmpty());
}

// Nothing to save before a movie; a cancelled dialog writes nothing; a save writes the GIF
// (optimised when asked) and brings the preview back; messages are warnings.
TEST_F(Window, SavingWritesTheGifAndRestoresThePreview) {
  Child<QPushButton>("Command1")->click();
  EXPECT_EQ(save_dialogs, 0);
  EXPECT_EQ(messages, QStringList{"Nothing to save"});
  EXPECT_FALSE(window->OpenAvi(QString::fromStdString(folder.File("missing.avi")), false));
  EXPECT_EQ(messages, (QStringList{"Nothing to save", "Unexpected error loading AVI file."}));
  EXPECT_EQ(icons, (std::vector<QMessageBox::Icon>{QMessageBox::Warning, QMessageBox::Warning}));
  EXPECT_FALSE(Child<QTimer>("tmrDelay")->isActive());
  messages.clear();
  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  Child<QPushButton>("Command1")->click();
  EXPECT_EQ(Names(folder), std::vector<std::string>{"movie.avi"});
  save_answer = QString::fromStdString(folder.File("out.gif"));
  Child<QCheckBox>("chkOptimize")->click();
  Child<QPushButton>("Command1")->click();
  EXPECT_EQ(save_dialogs, 2);
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
  const DecodedGif gif = Decode(folder.File("out.gif"));
  EXPECT_EQ(std::tuple(gif.width, gif.height), std::tuple(16, 8));
  EXPECT_GE(gif.frames.size(), 2u);
  EXPECT_TRUE(window->Converter().RowsBottomUp());
  EXPECT_TRUE(Child<QTimer>("tmrDelay")->isActive());
  EXPECT_EQ(Figures()[1], "45");
  EXPECT_TRUE(Child<QPushButton>("Command1")->isEnabled());
}

TEST_F(Window, ExitDuringTheImportStopsItAndClosesTheWindow) {
  QTimer::singleShot(0, Child<QPushButton>("cmdExit"), &QPushButton::click);
  EXPECT_FALSE(window->OpenAvi(QString::fromStdString(movie), false));
  EXPECT_TRUE(messages.isEmpty());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

}  // namespace
}  // namespace lumetrix::avi2gif
