#include "scripting/script_document.h"

#include <QDir>

namespace lumetrix::scripting {

ScriptDocument::ScriptDocument(DocumentHooks hooks) : hooks_(std::move(hooks)) {}

bool ScriptDocument::IsUntitled() const { return caption_.left(8) == QLatin1String("Untitled"); }

void ScriptDocument::TextChanged() {
  // Changes made while the window itself puts a loaded text in do not count.
  if (loading_) return;
  modified_ = true;
}

QString ScriptDocument::SavePromptMessage() const {
  return caption_ + QStringLiteral(" has been changed. Do you wish to save?");
}

bool ScriptDocument::PromptToSave() {
  if (!modified_) return true;
  switch (hooks_.askSave(SavePromptMessage())) {
    case SaveAnswer::Cancel: return false;
    case SaveAnswer::No: return true;
    case SaveAnswer::Yes: return Save();
  }
  return false;
}

void ScriptDocument::ReplaceText(const QString& text) {
  loading_ = true;
  hooks_.setText(text);
  loading_ = false;
  if (hooks_.documentReplaced) hooks_.documentReplaced();
}

bool ScriptDocument::New() {
  if (!PromptToSave()) return false;
  ReplaceText(QString());
  SetCaption(kUntitledCaption);
  modified_ = false;
  encoding_ = ScriptEncoding::Utf8;
  return true;
}

bool ScriptDocument::Open() {
  QString start = dialogFileName_;
  if (start.isEmpty()) start = QDir(defaultFolder_).filePath(kUntitledCaption);
  const QString path = hooks_.chooseOpenPath(start);
  if (path.isEmpty()) return false;
  return OpenPath(path);
}

bool ScriptDocument::OpenPath(const QString& path) {
  // Read first: a refused file must leave the current script alone.
  const ScriptFileText file = ReadScriptFile(path);
  if (!file.ok) {
    hooks_.showError(file.error);
    return false;
  }
  if (!PromptToSave()) return false;
  ReplaceText(file.text);
  SetCaption(path);
  dialogFileName_ = path;
  modified_ = false;
  encoding_ = file.encoding;
  AddToMru(path);
  return true;
}

bool ScriptDocument::OpenRecent(int index) {
  if (index < 0 || index >= ScriptMru::kSize) return false;
  const QString path = mru_.Entry(index);
  if (path.isEmpty()) return false;
  return OpenPath(path);
}

bool ScriptDocument::Save() {
  if (dialogFileName_.isEmpty() || IsUntitled()) return SaveAs();
  if (!WriteTo(dialogFileName_)) return false;
  modified_ = false;
  return true;
}

bool ScriptDocument::SaveAs() {
  QString initial = caption_;
  if (IsUntitled()) initial = QDir(defaultFolder_).filePath(caption_);
  const QString path = hooks_.chooseSavePath(initial);
  if (path.isEmpty()) return false;
  if (!WriteTo(path)) return false;
  AddToMru(path);
  modified_ = false;
  dialogFileName_ = path;
  SetCaption(path);
  return true;
}

bool ScriptDocument::ConfirmClose() { return PromptToSave(); }

bool ScriptDocument::WriteTo(const QString& path) {
  const QString error = WriteScriptFile(path, hooks_.getText());
  if (error.isEmpty()) {
    encoding_ = ScriptEncoding::Utf8;
    return true;
  }
  hooks_.showError(error);
  return false;
}

void ScriptDocument::SetCaption(const QString& caption) {
  caption_ = caption;
  if (hooks_.captionChanged) hooks_.captionChanged(caption_);
}

void ScriptDocument::AddToMru(const QString& path) {
  mru_.Add(path);
  if (hooks_.mruChanged) hooks_.mruChanged();
}

}  // namespace lumetrix::scripting
