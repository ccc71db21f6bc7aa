#pragma once
// The editor's script document: caption, modified state, file commands with their save
// prompt, and the recent-scripts list. Window-free: the window supplies the text of its editing
// control and the dialogs, so every path through the commands can be driven from tests.

#include <QString>

#include <functional>

#include "scripting/script_file.h"
#include "scripting/script_mru.h"

namespace lumetrix::scripting {

inline const QString kUntitledCaption = QStringLiteral("Untitled.scp");

enum class SaveAnswer { Yes, No, Cancel };

struct DocumentHooks {
  // The editing control.
  std::function<QString()> getText;
  std::function<void(const QString&)> setText;
  // Yes/No/Cancel question with the given message.
  std::function<SaveAnswer(const QString& message)> askSave;
  // File dialogs; an empty result means cancelled.
  std::function<QString(const QString& startPath)> chooseOpenPath;
  std::function<QString(const QString& initialPath)> chooseSavePath;
  // A failure the user must know about (file refused, save failed).
  std::function<void(const QString& message)> showError;
  // Notifications for the window.
  std::function<void(const QString& caption)> captionChanged;
  std::function<void()> mruChanged;  // the list changed: store it and refresh the menu
  std::function<void()> documentReplaced;  // New or Open put new text in
};

class ScriptDocument {
 public:
  explicit ScriptDocument(DocumentHooks hooks);

  const QString& Caption() const { return caption_; }
  bool ScriptModified() const { return modified_; }
  bool LoadingScript() const { return loading_; }
  // An untitled script is one whose caption starts with "Untitled".
  bool IsUntitled() const;
  // The file name the dialogs start with.
  const QString& DialogFileName() const { return dialogFileName_; }
  void SetDialogFileName(const QString& path) { dialogFileName_ = path; }
  // Folder of the initial "Untitled.scp" offered by the first dialog.
  void SetDefaultFolder(const QString& folder) { defaultFolder_ = folder; }
  ScriptMru& Mru() { return mru_; }
  const ScriptMru& Mru() const { return mru_; }
  ScriptEncoding LastEncoding() const { return encoding_; }

  // The editing control's change notification.
  void TextChanged();

  // The prompt "<caption> has been changed. Do you wish to save?"
  QString SavePromptMessage() const;

  // Each returns whether the command was carried out (false: cancelled or failed, nothing
  // changed). When the save prompt is answered Yes and saving is cancelled or fails, the
  // command stops too: the text would otherwise be lost.
  bool New();
  bool Open();
  bool OpenPath(const QString& path);  // Open after the dialog
  bool OpenRecent(int index);
  bool Save();
  bool SaveAs();
  // The unload at program end: the prompt when modified; false when the user cancels.
  bool ConfirmClose();

 private:
  bool PromptToSave();
  bool WriteTo(const QString& path);
  void SetCaption(const QString& caption);
  void AddToMru(const QString& path);
  void ReplaceText(const QString& text);

  DocumentHooks hooks_;
  QString caption_ = kUntitledCaption;
  QString dialogFileName_;
  QString defaultFolder_;
  bool modified_ = false;
  bool loading_ = false;
  ScriptEncoding encoding_ = ScriptEncoding::Utf8;
  ScriptMru mru_;
};

}  // namespace lumetrix::scripting
