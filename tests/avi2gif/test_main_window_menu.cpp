// The main window's "AVI to Animated &GIF": the open dialog, then the window with the movie;
// the window goes when the main window unloads.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include "export/avi2gif_ui/frm_avi2gif.h"
#include "tests/avi2gif/avi2gif_test_support.h"
#include "viewer_ui/frm_3d.h"

namespace lumetrix {
namespace {

// Answers the modal file dialog that the next event-loop turn shows with `answer` (cancels it for
// an empty one), noting its title; a dialog that refuses the name is cancelled so that the test
// fails instead of hanging.
void AnswerFileDialog(const QString& answer, QString* title) {
  QTimer::singleShot(0, [answer, title] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return AnswerFileDialog(answer, title);
    *title = dialog->windowTitle();
    if (!answer.isEmpty()) {
      if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) edit->setText(answer);
      QMetaObject::invokeMethod(dialog, "accept");
    }
    if (dialog->isVisible()) dialog->reject();
  });
}

TEST(MainWindowMenu, AviToGifAsksForTheMovieAndOpensIt) {
  avi::test::TempFolder folder;
  const std::string movie = folder.File("movie.avi");
  ASSERT_TRUE(avi::test::RecordMovie(movie, avi::test::SyntheticFrames(16, 8, 5)));
  QPointer<frm3D> w = new frm3D;
  QAction* item = w->findChild<QAction*>("mnuGIF");
  ASSERT_NE(item, nullptr);
  QString title;
  AnswerFileDialog(QString(), &title);
  item->trigger();
  EXPECT_EQ(title, "Select AVI File to Convert to Animated GIF");
  EXPECT_EQ(w->AviToGifWindow(), nullptr);
  AnswerFileDialog(QString::fromStdString(movie), &title);
  item->trigger();
  QPointer<avi2gif::AVI2GIF> gif = w->AviToGifWindow();
  ASSERT_FALSE(gif.isNull());
  EXPECT_TRUE(gif->isVisible());
  EXPECT_FALSE(gif->isModal());
  EXPECT_EQ(gif->Converter().AviPath(), movie);
  EXPECT_EQ(gif->Converter().Document().FramesCount(), 5);
  EXPECT_EQ(gif->parentWidget(), w.data());
  AnswerFileDialog(QString::fromStdString(movie), &title);
  item->trigger();
  EXPECT_EQ(w->AviToGifWindow(), gif.data()) << "one window, showing the movie chosen last";
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gif.isNull() || !gif->isVisible());
  delete w;
}

}  // namespace
}  // namespace lumetrix
