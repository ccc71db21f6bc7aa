#pragma once
// One palette editor window over fresh palette folders in a temporary folder: the bundled
// folder exists, the writable one is left for the window to create. Messages are recorded
// instead of shown; buttons are clicked by object name.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "palettes/palette_folders.h"
#include "palettes/ui/dialog_services.h"
#include "tests/palettes/palette_test_support.h"

namespace lumetrix::testing {

struct RecordedMessage {
  QMessageBox::Icon icon;
  QString title, text;
};

inline void Click(QWidget* window, const char* buttonName) {
  auto* button = window->findChild<QPushButton*>(QString::fromLatin1(buttonName));
  ASSERT_NE(button, nullptr) << buttonName;
  QTest::mouseClick(button, Qt::LeftButton);
}

inline QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

template <class Window>
class EditorWindowTest : public ::testing::Test {
 protected:
  explicit EditorWindowTest(const std::filesystem::path& writable)
      : folders_{root_.path() / "bundled", root_.path() / writable} {
    std::filesystem::create_directories(folders_.bundled);
    window_ = Open();
  }

  // Another window of the same kind over the same folders, recording into messages_.
  std::unique_ptr<Window> Open() {
    auto window = std::make_unique<Window>(nullptr, folders_);
    window->setMessageHandler([this](QMessageBox::Icon icon, const QString& title, const QString& text) {
      messages_.push_back({icon, title, text});
    });
    return window;
  }

  // Types `name` into `window` and clicks `button`; the messages shown.
  QVector<RecordedMessage> Press(const char* button, const QString& name, Window* window = nullptr) {
    window = window ? window : window_.get();
    messages_.clear();
    window->nameBox()->setEditText(name);
    Click(window, button);
    return messages_;
  }

  test_support::TempDir root_;
  palettes::PaletteFolders folders_;
  QVector<RecordedMessage> messages_;
  std::unique_ptr<Window> window_;
};

}  // namespace lumetrix::testing
