#include "export/avi2gif/avi2gif_converter.h"

#include "export/avi2gif/avi2gif_messages.h"
#include "export/gif/gif_optimize.h"
#include "core/staged_file.h"

namespace lumetrix::avi2gif {

Avi2GifConverter::Avi2GifConverter(MessageSink& messages) : messages_(messages) {
  dither_.BuildTables();
  dither_.SetPaletteMode(gif::mDither8bpp::kOptimal);
  dither_.SetDitherMode(gif::mDither8bpp::kNoDither);
}

void Avi2GifConverter::Show(const char* text) { messages_.ShowMessage(text, MessageIcon::Exclamation); }

ImportStatus Avi2GifConverter::OpenAvi(const std::string& path, bool flip, ProgressSink* progress) {
  if (path.empty()) return ImportStatus::Failed;
  aviPath_ = path;
  detail_.clear();
  document_.Destroy();
  ImportSettings settings;
  settings.SwapRG = swapRG_;
  settings.Flip = flip;
  settings.BestPalette = bestQuality_;
  const ImportResult result = ImportAvi(path, document_, dither_, settings, progress);
  rowsBottomUp_ = !flip;
  if (result.Status == ImportStatus::Failed) {
    detail_ = result.Detail;
    Show(kMsgLoadError);
  }
  return result.Status;
}

ImportStatus Avi2GifConverter::Reimport(ProgressSink* progress) {
  if (aviPath_.empty()) return ImportStatus::Failed;
  return OpenAvi(aviPath_, false, progress);
}

bool Avi2GifConverter::CheckSomethingToSave() {
  if (document_.FramesCount() > 0) return true;
  Show(kMsgNothingToSave);
  return false;
}

bool Avi2GifConverter::OptimizeFrames(ProgressSink* progress) {
  if (document_.FramesCount() == 0) {
    Show(kMsgNothingToOptimize);
    return false;
  }
  gif::CompactGlobalPalette(document_, progress);
  gif::CropFrames(document_, progress);
  transparentIndex_ = document_.Frame(1).FrameTransparentColorIndex();
  return true;
}

bool Avi2GifConverter::WouldReplaceTheMovie(const std::string& fileName) {
  if (aviPath_.empty() || !SameFile(fileName, aviPath_)) return false;
  // Writing over the movie would lose it; the user meant another name.
  detail_ = "The GIF file would replace the movie it is made from: " + fileName;
  Show(kMsgSaveError);
  return true;
}

SaveStatus Avi2GifConverter::WriteDocument(const std::string& fileName, ProgressSink* progress) {
  if (!CheckSomethingToSave()) return SaveStatus::NothingToSave;
  if (WouldReplaceTheMovie(fileName)) return SaveStatus::SaveFailed;
  if (optimize_ && !OptimizeFrames(progress)) return SaveStatus::NothingToSave;
  std::string error;
  if (!document_.Save(fileName, &error)) {
    detail_ = error;
    Show(kMsgSaveError);
    return SaveStatus::SaveFailed;
  }
  return SaveStatus::Saved;
}

SaveStatus Avi2GifConverter::SaveAnimatedGif(const std::string& fileName, ProgressSink* progress,
                                             bool restorePreview) {
  if (!CheckSomethingToSave()) return SaveStatus::NothingToSave;
  if (WouldReplaceTheMovie(fileName)) return SaveStatus::SaveFailed;
  // The encoder writes the top row first.
  const ImportStatus imported = OpenAvi(aviPath_, true, progress);
  if (imported == ImportStatus::Cancelled) return SaveStatus::Cancelled;
  // A movie that cannot be read again is not saved half-way; the failure was shown.
  if (imported != ImportStatus::Ok) return SaveStatus::LoadFailed;
  const SaveStatus status = WriteDocument(fileName, progress);
  if (restorePreview) {
    const std::string keep = detail_;
    Reimport(progress);
    if (status == SaveStatus::SaveFailed) detail_ = keep;
  }
  return status;
}

}  // namespace lumetrix::avi2gif
