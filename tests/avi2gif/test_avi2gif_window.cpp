// The "AVItoGIF" window through its controls: import with progress, options, preview,
// figures, saving and every message.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <filesystem>

#include "export/avi2gif/gif_figures.h"
#include "export/avi2gif_ui/frm_avi2gif.h"
#include "export/avi2gif_ui/preview_canvas.h"
#include "tests/avi2gif/avi2gif_test_support.h"
#include "tests/gif/gif_test_support.h"
#include "widgets/uc_progress.h"

namespace lumetrix::avi2gif {
namespace {

namespace fs = std::filesystem;

struct Shown {
  QString Text;
  QMessageBox::Icon Icon;
};

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    window = new AVI2GIF;
    window->SetMessageHook([this](const QString& text, QMessageBox::Icon icon) { messages.push_back({text, icon}); });
    window->SetSaveFileChooser([this] {
      ++save_dialogs;
      return save_answer;
    });
    movie = folder.File("movie.avi");
    ASSERT_TRUE(test::RecordMovie(movie, test::SyntheticFrames(16, 8, 45), 15));
  }
  void TearDown() override {
    if (window) {
      window->close();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
  }
  template <typename T>
  T* Child(const char* name) {
    T* c = window->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  QString Label(const char* name) { return Child<QLabel>(name)->text(); }
  QStringList Texts() const {
    QStringList t;
    for (const auto& m : messages) t << m.Text;
    return t;
  }

  avi::test::TempFolder folder;
  QPointer<AVI2GIF> window;
  std::vector<Shown> messages;
  QString save_answer;
  int save_dialogs = 0;
  std::string movie;
};

TEST_F(Window, CaptionControlsAndStartingChoices) {
  EXPECT_EQ(window->windowTitle(), "AVItoGIF");
  const std::pair<const char*, const char*> captions[] = {
      {"optPallette0", "GrayScale"}, {"optPallette1", "Optimal"}, {"optPallette2", "Web Safe"},
      {"optDither0", "None"},        {"optDither1", "Ordered"},   {"optDither2", "Floyd Steinberg"}};
  for (const auto& [name, caption] : captions) EXPECT_EQ(Child<QRadioButton>(name)->text(), caption);
  EXPECT_TRUE(Child<QRadioButton>("optPallette1")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>("optDither0")->isChecked());
  EXPECT_EQ(Child<QCheckBox>("chkSwap")->text(), "SwapRG");
  EXPECT_FALSE(Child<QCheckBox>("chkSwap")->isChecked());
  EXPECT_EQ(Child<QCheckBox>("chkOptimize")->text(), "Use Optimalization");
  EXPECT_EQ(Child<QPushButton>("Command1")->text(), "Save Animated GIF");
  EXPECT_EQ(Child<QPushButton>("cmdExit")->text(), "Exit");
  EXPECT_EQ(Label("lblScreen"), "Screen:");
  EXPECT_EQ(Label("lblFrames"), "Frames:");
  EXPECT_EQ(Label("lblPalette"), "Palette:");
  EXPECT_EQ(Label("lblScreenV"), "0x0");
  EXPECT_EQ(Label("lblFramesV"), "0");
  EXPECT_EQ(Label("lblEntriesV"), "0 entries");
  EXPECT_NE(Child<widgets::ucProgress>("ucProgress"), nullptr);
  EXPECT_NE(Child<QTimer>("tmrDelay"), nullptr);
  EXPECT_EQ(Child<QLabel>("iPalette")->size(), QSize(96, 96));
}

TEST_F(Window, OpeningImportsWithProgressAndStartsThePreview) {
  std::vector<int> values;
  auto* bar = Child<widgets::ucProgress>("ucProgress");
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] { values.push_back(bar->Value()); });
  probe.start(0);
  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  probe.stop();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(bar->Max(), 45);
  EXPECT_EQ(bar->Value(), 0);
  ASSERT_FALSE(values.empty());
  EXPECT_GT(*std::max_element(values.begin(), values.end()), 0);  // seen moving while events ran
  EXPECT_EQ(Label("lblScreenV"), "16x8");
  EXPECT_EQ(Label("lblFramesV"), "45");
  EXPECT_EQ(Label("lblPaletteV"), QString("%1 bpp").arg(PaletteDepth(window->Converter().Document().GlobalPaletteEntries())));
  EXPECT_EQ(Label("lblEntriesV"), QString("%1 entries").arg(window->Converter().Document().GlobalPaletteEntries()));
  auto* timer = Child<QTimer>("tmrDelay");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 70);  // delay 7 hundredths
  auto* canvas = Child<PreviewCanvas>("ucCanvas");
  ASSERT_EQ(canvas->Picture().size(), QSize(16, 8));
  EXPECT_EQ(window->Player().CurrentFrame(), 1);
  // The preview shows frame 1 the right way up: its top left is the movie's top left.
  const auto want = test::TopDownPicture(test::SyntheticFrames(16, 8, 1)[0]).Pixel(0, 0);
  const QColor shown = canvas->Picture().pixelColor(0, 0);
  EXPECT_NEAR(shown.red(), want.red, 40);
  EXPECT_NEAR(shown.green(), want.green, 40);
  EXPECT_NEAR(shown.blue(), want.blue, 40);
  // Ticks step through the frames and wrap.
  for (int i = 0; i < 45; ++i) QMetaObject::invokeMethod(timer, "timeout");
  EXPECT_EQ(window->Player().CurrentFrame(), 1);
  QMetaObject::invokeMethod(timer, "timeout");
  EXPECT_EQ(window->Player().CurrentFrame(), 2);
  // The palette grid: cell 0 shows entry 0.
  const QImage grid = Child<QLabel>("iPalette")->pixmap().toImage();
  const auto e0 = window->Converter().Document().GlobalPaletteRGBEntry(0);
  EXPECT_EQ(grid.pixelColor(2, 2), QColor(e0.red, e0.green, e0.blue));
}

TEST_F(Window, ZoomSliderMagnifiesTheCanvas) {
  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  Child<QSlider>("ucSlider1")->setValue(3);
  auto* canvas = Child<PreviewCanvas>("ucCanvas");
  EXPECT_EQ(canvas->Zoom(), 3);
  EXPECT_EQ(canvas->size(), QSize(48, 24));
}

TEST_F(Window, ChangingAnOptionImportsTheMovieAgain) {
  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  Child<QRadioButton>("optPallette0")->click();  // GrayScale
  EXPECT_EQ(window->Converter().PaletteMode(), 2);
  EXPECT_EQ(Label("lblEntriesV"), "256 entries");
  EXPECT_EQ(Label("lblPaletteV"), "8 bpp");
  EXPECT_EQ(window->Converter().Document().FramesCount(), 45);
  Child<QRadioButton>("optPallette2")->click();  // Web Safe
  EXPECT_EQ(window->Converter().PaletteMode(), 0);
  EXPECT_EQ(Label("lblEntriesV"), "216 entries");
  Child<QRadioButton>("optDither2")->click();
  EXPECT_EQ(window->Converter().DitherMode(), 2);
  Child<QCheckBox>("chkSwap")->click();
  EXPECT_TRUE(window->Converter().SwapRG());
  EXPECT_EQ(window->Converter().Document().FramesCount(), 45);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Window, SavingWritesTheGifAndRestoresThePreview) {
  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  save_answer = QString::fromStdString(folder.File("out.gif"));
  Child<QCheckBox>("chkOptimize")->click();
  Child<QPushButton>("Command1")->click();
  EXPECT_EQ(save_dialogs, 1);
  EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();
  ASSERT_TRUE(fs::exists(folder.File("out.gif")));
  gif::testing::DecodedGif gif;
  std::string error;
  ASSERT_TRUE(gif::testing::DecodeWithGiflib(folder.File("out.gif"), gif, error)) << error;
  EXPECT_EQ(gif.width, 16);
  EXPECT_EQ(gif.height, 8);
  EXPECT_GE(gif.frames.size(), 2u);
  EXPECT_TRUE(window->Converter().RowsBottomUp());
  EXPECT_EQ(window->Converter().Document().FramesCount(), 45);
  EXPECT_TRUE(Child<QTimer>("tmrDelay")->isActive());
  EXPECT_EQ(Label("lblFramesV"), "45");
  EXPECT_TRUE(Child<QPushButton>("Command1")->isEnabled());
}

TEST_F(Window, NothingToSaveBeforeAMovieIsLoaded) {
  Child<QPushButton>("Command1")->click();
  EXPECT_EQ(save_dialogs, 0);
  ASSERT_EQ(Texts(), QStringList{"Nothing to save"});
  EXPECT_EQ(messages[0].Icon, QMessageBox::Warning);
}

TEST_F(Window, CancelledSaveDialogWritesNothing) {
  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  save_answer.clear();
  Child<QPushButton>("Command1")->click();
  EXPECT_EQ(save_dialogs, 1);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"movie.avi"});
  EXPECT_TRUE(Child<QTimer>("tmrDelay")->isActive());
}

TEST_F(Window, UnreadableMovieAndUnwritableGifShowTheirMessages) {
  avi::test::WriteFileBytes(folder.File("bad.avi"), std::vector<uint8_t>(256, 1));
  EXPECT_FALSE(window->OpenAvi(QString::fromStdString(folder.File("bad.avi")), false));
  ASSERT_EQ(Texts(), QStringList{"Unexpected error loading AVI file."});
  EXPECT_EQ(messages[0].Icon, QMessageBox::Warning);
  EXPECT_EQ(Label("lblFramesV"), "0");
  EXPECT_FALSE(Child<QTimer>("tmrDelay")->isActive());

  ASSERT_TRUE(window->OpenAvi(QString::fromStdString(movie), false));
  save_answer = QString::fromStdString(folder.File("missing/out.gif"));
  Child<QPushButton>("Command1")->click();
  ASSERT_EQ(Texts(), (QStringList{"Unexpected error loading AVI file.", "Unexpected error saving GIF file."}));
  EXPECT_EQ(messages[1].Icon, QMessageBox::Warning);
  EXPECT_FALSE(fs::exists(folder.File("missing/out.gif")));
  EXPECT_EQ(Label("lblFramesV"), "45");
}

TEST_F(Window, ExitDuringTheImportStopsItAndClosesTheWindow) {
  QTimer::singleShot(0, Child<QPushButton>("cmdExit"), &QPushButton::click);
  EXPECT_FALSE(window->OpenAvi(QString::fromStdString(movie), false));
  EXPECT_TRUE(messages.empty());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST_F(Window, TheMenuCommandOpensOneWindowAndTheChosenMovie) {
  QWidget owner;
  QPointer<AVI2GIF> gifWindow;
  EXPECT_EQ(mnuGIF_Click(&owner, gifWindow, [] { return QString(); }), nullptr);  // dialog cancelled
  EXPECT_TRUE(gifWindow.isNull());
  const QString path = QString::fromStdString(movie);
  AVI2GIF* first = mnuGIF_Click(&owner, gifWindow, [&] { return path; });
  ASSERT_NE(first, nullptr);
  first->SetMessageHook([this](const QString& text, QMessageBox::Icon icon) { messages.push_back({text, icon}); });
  EXPECT_TRUE(first->isVisible());
  EXPECT_FALSE(first->isModal());
  EXPECT_EQ(first->parentWidget(), &owner);
  EXPECT_EQ(first->Converter().Document().FramesCount(), 45);
  EXPECT_EQ(mnuGIF_Click(&owner, gifWindow, [&] { return path; }), first);
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gifWindow.isNull());
}

}  // namespace
}  // namespace lumetrix::avi2gif
