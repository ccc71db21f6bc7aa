#include "scripting/vb_lexer.h"

#include "scripting/color_value.h"
#include "scripting/vb_keywords.h"

namespace lumetrix::scripting {

int ColorItemOfStyle(int style) {
  switch (style) {
    case kVbComment:
    case kVbCommentBlock:
    case kVbDocLine:
    case kVbDocBlock:
    case kVbDocKeyword: return ColorTable::kComments;
    case kVbNumber:
    case kVbHexNumber:
    case kVbBinNumber: return ColorTable::kNumbers;
    case kVbKeyword: return ColorTable::kKeywords;
    case kVbKeyword2: return ColorTable::kScopeKeywords;
    case kVbString:
    case kVbStringEol: return ColorTable::kStrings;
    case kVbOperator: return ColorTable::kOperators;
    // The markup categories of the table have no place in VBScript; they colour the script
    // object's operations, the built-in functions, date literals and preprocessor lines.
    case kVbKeyword3: return ColorTable::kTagElementNames;
    case kVbKeyword4: return ColorTable::kTagAttributeNames;
    case kVbDate: return ColorTable::kTagEntries;
    case kVbPreprocessor: return ColorTable::kTagText;
    default: return ColorTable::kText;
  }
}

QFont EditorFont(FontStyle style) {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
  font.setFixedPitch(true);
  // 13 pixels at 96 dpi; the editing control sizes its fonts in points only.
  font.setPointSizeF(9.75);
  font.setWeight(QFont::Normal);
  font.setBold(style == FontStyle::Bold || style == FontStyle::BoldItalic);
  font.setItalic(style == FontStyle::Italic || style == FontStyle::BoldItalic);
  font.setUnderline(style == FontStyle::Underline);
  return font;
}

VbScriptLexer::VbScriptLexer(QObject* parent) : QsciLexer(parent) {
  keywordSets_[0] = LexerWordList(WordGroup::Keyword);
  keywordSets_[1] = LexerWordList(WordGroup::ScopeKeyword);
  keywordSets_[2] = LexerWordList(WordGroup::ScriptObject);
  keywordSets_[3] = LexerWordList(WordGroup::BuiltIn);
  setDefaultFont(EditorFont());
}

QString VbScriptLexer::description(int style) const {
  static const char* const names[kVbStyleCount] = {
      "Default", "Comment", "Number", "Keyword", "String", "Preprocessor", "Operator", "Identifier",
      "Date", "Unclosed string", "Scope keyword", "Script object", "Built-in", "Constant", "Assembler",
      "Label", "Error", "Hexadecimal number", "Binary number", "Block comment", "Doc line", "Doc block",
      "Doc keyword"};
  if (style < 0 || style >= kVbStyleCount) return {};
  return QString::fromLatin1(names[style]);
}

const char* VbScriptLexer::keywords(int set) const {
  if (set < 1 || set > 4) return nullptr;
  return keywordSets_[set - 1].c_str();
}

QColor VbScriptLexer::defaultColor(int style) const {
  const QColor c = ColorFromBgr(table_.Item(ColorItemOfStyle(style)).text);
  return c.isValid() ? c : QColor(Qt::black);
}

QColor VbScriptLexer::defaultPaper(int style) const {
  const QColor c = ColorFromBgr(table_.Item(ColorItemOfStyle(style)).background);
  return c.isValid() ? c : QColor(Qt::white);
}

QFont VbScriptLexer::defaultFont(int style) const {
  return EditorFont(FontStyleOf(table_.Item(ColorItemOfStyle(style)).style));
}

void VbScriptLexer::ApplyColorTable(const ColorTable& table) {
  table_ = table;
  // The window colour fills the area beyond the text; the text colour is that of plain text.
  const QColor window = ColorFromBgr(table.Item(ColorTable::kWindow).text);
  setDefaultPaper(window.isValid() ? window : QColor(Qt::white));
  setDefaultColor(defaultColor(kVbDefault));
  setDefaultFont(EditorFont());
  for (int style = 0; style < kVbStyleCount; ++style) {
    setColor(defaultColor(style), style);
    setPaper(defaultPaper(style), style);
    setFont(defaultFont(style), style);
  }
}

}  // namespace lumetrix::scripting
