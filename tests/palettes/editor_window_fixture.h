#pragma once
// One palette editor window over fresh palette folders in a temporary folder: the bundled
// folder exists, the writable one (below the temporary folder) is left for the window to
// create; messages are recorded instead of shown.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QString>
#include <filesystem>
#include <memory>

#include "palettes/palette_folders.h"
#include "temp_folder.h"
#include "ui_test_support.h"

namespace lumetrix::testing {

template <class Window>
class EditorWindowTest : public ::testing::Test {
 protected:
  explicit EditorWindowTest(const std::filesystem::path& writable)
      : folders_{root_ / "bundled", root_.Path() / writable} {
    std::filesystem::create_directories(folders_.bundled);
    window_ = std::make_unique<Window>(nullptr, folders_);
    window_->setMessageHandler(recorder_.Handler());
  }

  void SetName(const QString& name) { window_->nameBox()->setEditText(name); }

  palettes::testing::TempFolder root_;
  palettes::PaletteFolders folders_;
  MessageRecorder recorder_;
  std::unique_ptr<Window> window_;
};

}  // namespace lumetrix::testing
