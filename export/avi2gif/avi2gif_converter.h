#pragma once
// The AVI-to-GIF converter without its window: the movie that is loaded, the GIF document made
// from it, the reduction options, and the open and save flows with their messages. The window
// adds the dialogs, the preview and the progress bar.

#include <cstdint>
#include <string>

#include "export/avi2gif/avi_import.h"
#include "export/gif/dither8bpp.h"
#include "export/gif/gif_document.h"
#include "core/messages.h"

namespace lumetrix::avi2gif {

enum class SaveStatus { Saved, NothingToSave, LoadFailed, Cancelled, SaveFailed };

class Avi2GifConverter {
 public:
  // Builds the reduction tables; palette mode optimal, no dithering.
  explicit Avi2GifConverter(MessageSink& messages);

  // 0 web-safe, 1 optimal, 2 grey scale / 0 none, 1 ordered, 2 Floyd–Steinberg; false (and no
  // change) for other values.
  bool SetPaletteMode(int mode) { return dither_.SetPaletteMode(mode); }
  int PaletteMode() const { return dither_.PaletteMode(); }
  bool SetDitherMode(int mode) { return dither_.SetDitherMode(mode); }
  int DitherMode() const { return dither_.DitherMode(); }
  // "Best quality": a palette from all frames with an exact nearest-colour search, in place of
  // the palette mode (which keeps its value for when it is turned off); the dither mode applies.
  void SetBestQuality(bool on) { bestQuality_ = on; }
  bool BestQuality() const { return bestQuality_; }
  void SetSwapRG(bool on) { swapRG_ = on; }
  bool SwapRG() const { return swapRG_; }
  // "Use Optimization": palette compaction and frame cropping before saving.
  void SetOptimize(bool on) { optimize_ = on; }
  bool Optimize() const { return optimize_; }

  // The movie loaded last (kept to import it again).
  const std::string& AviPath() const { return aviPath_; }
  const gif::cGIF& Document() const { return document_; }
  // Whether the frames' first rows are the bottom of the picture (after an import without flip).
  bool RowsBottomUp() const { return rowsBottomUp_; }
  // Frame 1's transparent colour index after the last optimisation.
  uint8_t TransparentIndex() const { return transparentIndex_; }
  // Why the last import or save failed, in more words than the message.
  const std::string& LastDetail() const { return detail_; }

  // Nothing for an empty path. Otherwise remembers it and imports the movie; a failure shows
  // "Unexpected error loading AVI file." and leaves the document empty. A cancelled import
  // shows nothing and leaves it empty too.
  ImportStatus OpenAvi(const std::string& path, bool flip, ProgressSink* progress = nullptr);
  // Imports the remembered movie again for the preview (after an option changed); nothing
  // when none is loaded.
  ImportStatus Reimport(ProgressSink* progress = nullptr);

  // False, after "Nothing to save", when the document has no frames. Asked before the user
  // chooses a file name.
  bool CheckSomethingToSave();
  // Palette compaction, then frame cropping; "Nothing to optimize" (and false) without frames.
  bool OptimizeFrames(ProgressSink* progress = nullptr);
  // Saves the movie to `fileName`: imports it again top row first, optimises when asked, and
  // writes the file under a temporary name that takes the name only when complete (an older
  // file stays as it was on failure). "Unexpected error saving GIF file." when the file cannot
  // be written (also when it would replace the movie itself). Afterwards, when
  // `restorePreview`, the movie is imported again for the preview.
  SaveStatus SaveAnimatedGif(const std::string& fileName, ProgressSink* progress = nullptr,
                             bool restorePreview = true);
  // The writing half of the save, on the document as it is (the command line imports top row
  // first itself): optimises when asked, then writes the file as above, with the same messages.
  SaveStatus WriteDocument(const std::string& fileName, ProgressSink* progress = nullptr);

 private:
  void Show(const char* text);
  bool WouldReplaceTheMovie(const std::string& fileName);

  MessageSink& messages_;
  gif::mDither8bpp dither_;
  gif::cGIF document_;
  std::string aviPath_;
  bool swapRG_ = false;
  bool bestQuality_ = false;
  bool optimize_ = false;
  bool rowsBottomUp_ = true;
  uint8_t transparentIndex_ = 0;
  std::string detail_;
};

}  // namespace lumetrix::avi2gif
