#include "scripting/script_view.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QContextMenuEvent>
#include <QCursor>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <vector>

#include "scripting/color_value.h"
#include "scripting/keyword_case.h"
#include "scripting/line_number_text.h"
#include "scripting/vb_lexer.h"

namespace lumetrix::scripting {

ScriptView::ScriptView(QWidget* parent) : QsciScintilla(parent), lexer_(new VbScriptLexer(this)) {
  setUtf8(true);
  setLexer(lexer_);
  setFont(EditorFont());
  setEolMode(EolUnix);
  setTabWidth(4);
  // The horizontal scroll range follows the longest line instead of a fixed 2000 pixels.
  SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
  SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
  setMarginType(kNumberMargin, TextMarginRightJustified);
  setMarginType(kLeftMargin, SymbolMarginColor);
  setMarginWidth(kLeftMargin, 6);
  setMarginWidth(2, 0);
  markerDefine(Background, kErrorMarker);
  markerDefine(Bookmark, kBookmarkMarker);
  // The Tools menu owns Ctrl+T; the control's own line transpose would swallow it.
  if (QsciCommand* transpose = standardCommands()->boundTo(QKeyCombination(Qt::CTRL, Qt::Key_T).toCombined())) transpose->setKey(0);

  connect(this, &QsciScintillaBase::SCN_CHARADDED, this, &ScriptView::OnCharAdded);
  connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &ScriptView::OnModified);
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { RefreshLineNumbers(); });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int) { RefreshLineNumbers(); });
  connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int) { ShowScrollToolTip(); });
  SetOptions(options_);
}

void ScriptView::SetOptions(const ViewOptions& options) {
  options_ = options;
  setWhitespaceVisibility(options_.whiteSpace ? WsVisible : WsInvisible);
  // The margin text belongs to the shared document: never clear it here, since the other views
  // would lose their numbers; RefreshLineNumbers rewrites whatever is on screen.
  numberDigits_ = 0;
  RefreshLineNumbers();
}

void ScriptView::ApplyColorTable(const ColorTable& table) {
  lexer_->ApplyColorTable(table);
  const ColorItem& numbers = table.Item(ColorTable::kLineNumbers);
  QColor fore = ColorFromBgr(numbers.text);
  QColor back = ColorFromBgr(numbers.background);
  setMarginsForegroundColor(fore.isValid() ? fore : QColor(Qt::black));
  setMarginsBackgroundColor(back.isValid() ? back : QColor(Qt::lightGray));
  setMarginsFont(EditorFont(FontStyleOf(numbers.style)));
  const QColor margin = ColorFromBgr(table.Item(ColorTable::kLeftMargin).text);
  setMarginBackgroundColor(kLeftMargin, margin.isValid() ? margin : QColor(Qt::white));
  const QColor highlight = ColorFromBgr(table.Item(ColorTable::kHighlightedLine).text);
  setMarkerBackgroundColor(highlight.isValid() ? highlight : QColor(Qt::yellow), kErrorMarker);
  const ColorItem& bookmarks = table.Item(ColorTable::kBookmarks);
  if (QColor c = ColorFromBgr(bookmarks.text); c.isValid()) setMarkerForegroundColor(c, kBookmarkMarker);
  if (QColor c = ColorFromBgr(bookmarks.background); c.isValid()) setMarkerBackgroundColor(c, kBookmarkMarker);
  // The caret takes the text colour so that it stays visible on any background.
  const QColor text = ColorFromBgr(table.Item(ColorTable::kText).text);
  setCaretForegroundColor(text.isValid() ? text : QColor(Qt::black));
  numberDigits_ = 0;
  UpdateNumberMarginWidth();
}

void ScriptView::MarkErrorLine(int line) {
  markerDeleteAll(kErrorMarker);
  if (line <= 0) return;
  const int last = std::max(1, lines());
  const int index = std::min(line, last) - 1;
  markerAdd(index, kErrorMarker);
  setCursorPosition(index, 0);
  ensureLineVisible(index);
}

int ScriptView::MarkedErrorLine() const {
  const int line = static_cast<int>(SendScintilla(SCI_MARKERNEXT, 0L, 1L << kErrorMarker));
  return line < 0 ? 0 : line + 1;
}

QString ScriptView::LineNumberShown(int line) const {
  const long length = SendScintilla(SCI_MARGINGETTEXT, static_cast<unsigned long>(line), static_cast<const char*>(nullptr));
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  SendScintilla(SCI_MARGINGETTEXT, static_cast<unsigned long>(line), buffer.data());
  return QString::fromUtf8(buffer.data(), static_cast<qsizetype>(length));
}

void ScriptView::RefreshLineNumbers() {
  UpdateNumberMarginWidth();
  if (!options_.lineNumbers) return;
  // Margin text belongs to the document and moves with its lines, so after edits the lines
  // below carry stale numbers: set those that are on screen, whenever the view changes.
  const long first = SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE));
  const long onScreen = SendScintilla(SCI_LINESONSCREEN) + 2;
  const long last = std::min<long>(lines() - 1, SendScintilla(SCI_DOCLINEFROMVISIBLE,
                                                              SendScintilla(SCI_GETFIRSTVISIBLELINE) + onScreen));
  for (long line = std::max(0L, first); line <= last; ++line) {
    const std::string text = LineNumberText(line + 1, options_.radix);
    if (LineNumberShown(static_cast<int>(line)).toStdString() == text) continue;
    SendScintilla(SCI_MARGINSETTEXT, static_cast<unsigned long>(line), text.c_str());
    SendScintilla(SCI_MARGINSETSTYLE, static_cast<unsigned long>(line), static_cast<long>(STYLE_LINENUMBER));
  }
}

void ScriptView::UpdateNumberMarginWidth() {
  if (!options_.lineNumbers) {
    if (marginWidth(kNumberMargin) != 0) setMarginWidth(kNumberMargin, 0);
    numberDigits_ = 0;
    return;
  }
  const int digits = LineNumberDigits(lines(), options_.radix);
  if (digits == numberDigits_) return;
  numberDigits_ = digits;
  setMarginWidth(kNumberMargin, QString(digits + 1, QLatin1Char('0')));
}

void ScriptView::OnModified(int, int modificationType, const char*, int, int linesAdded, int, int, int, int, int) {
  // The document may not be changed from inside its own change notification: refresh later.
  if (!(modificationType & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)) || linesAdded == 0 || refreshPending_) return;
  refreshPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refreshPending_ = false;
        RefreshLineNumbers();
      },
      Qt::QueuedConnection);
}

void ScriptView::OnCharAdded(int ch) {
  if (!options_.caseFixing || isReadOnly()) return;
  if (ch < 0 || ch >= 0x80 || IsWordByte(static_cast<unsigned char>(ch))) return;
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  long end = 0;  // the word ends where the typed character begins
  long lineStart = 0;
  if (ch == '\n' || ch == '\r') {
    const long line = SendScintilla(SCI_LINEFROMPOSITION, caret) - 1;
    if (line < 0) return;
    lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    end = SendScintilla(SCI_GETLINEENDPOSITION, line);
  } else {
    end = SendScintilla(SCI_POSITIONBEFORE, caret);
    lineStart = SendScintilla(SCI_POSITIONFROMLINE, SendScintilla(SCI_LINEFROMPOSITION, end));
  }
  if (end <= lineStart || end - lineStart > 100000) return;
  std::vector<char> bytes(static_cast<size_t>(end - lineStart) + 1, '\0');
  SendScintilla(SCI_GETTEXTRANGE, lineStart, end, bytes.data());
  const auto fix = FixCaseBefore(std::string_view(bytes.data(), static_cast<size_t>(end - lineStart)));
  if (!fix) return;
  const long start = lineStart + static_cast<long>(fix->offset);
  SendScintilla(SCI_SETTARGETSTART, static_cast<unsigned long>(start));
  SendScintilla(SCI_SETTARGETEND, static_cast<unsigned long>(start + static_cast<long>(fix->replacement.size())));
  SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(fix->replacement.size()), fix->replacement.c_str());
}

void ScriptView::ShowScrollToolTip() {
  if (!options_.lineToolTips) return;
  const long first = SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE));
  const QString text = QStringLiteral("Line: %1").arg(QString::fromStdString(LineNumberText(first + 1, options_.radix)));
  QToolTip::showText(QCursor::pos(), text, verticalScrollBar());
}

void ScriptView::contextMenuEvent(QContextMenuEvent* event) {
  emit contextMenuWanted(event->globalPos());
  event->accept();
}

void ScriptView::focusInEvent(QFocusEvent* event) {
  QsciScintilla::focusInEvent(event);
  emit focused(this);
}

void ScriptView::resizeEvent(QResizeEvent* event) {
  QsciScintilla::resizeEvent(event);
  RefreshLineNumbers();
}

}  // namespace lumetrix::scripting
