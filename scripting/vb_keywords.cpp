#include "scripting/vb_keywords.h"

#include <unordered_map>

namespace lumetrix::scripting {

namespace {

std::string Lower(std::string_view word) {
  std::string lower(word);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

}  // namespace

const std::vector<std::string_view>& WordsOf(WordGroup group) {
  static const std::vector<std::string_view> keywords{
      "And", "As", "ByRef", "ByVal", "Call", "Const", "Default", "Dim", "Empty", "Eqv", "Erase", "Error",
      "Exit", "Explicit", "False", "Get", "GoTo", "Imp", "In", "Is", "Let", "Me", "Mod", "New", "Not",
      "Nothing", "Null", "On", "Option", "Or", "Preserve", "Private", "Public", "Randomize", "ReDim",
      "Rem", "Resume", "Set", "Step", "Stop", "Then", "To", "True", "Xor"};
  static const std::vector<std::string_view> scope{
      "Case", "Class", "Do", "Each", "Else", "ElseIf", "End", "For", "Function", "If", "Loop", "Next",
      "Property", "Select", "Sub", "Until", "Wend", "While", "With"};
  static const std::vector<std::string_view> object{
      "Draw", "SetXRot", "SetYRot", "SetXYRot", "SetXRotSpeed", "SetYRotSpeed", "Setx", "Sety", "SetZ",
      "SetScaleX", "SetScaleY", "SetScaleZ", "SetColor", "SetLight", "SetTransparency", "SetLightOn",
      "SetLightOff", "ResetParameters", "ResetSpeedParameters", "DrawImage", "SaveBMP", "SaveJPG",
      "AVIStart", "AVIAdd", "AVIend", "SetPalette", "LoadLuts", "RunVBScript", "SetRenderMode", "SetScaleBar",
      "SetAxes", "OpenImage", "SetChannel", "SetChannelColor", "SetDisplayRange", "SetGamma", "AutoContrast",
      "SetTimePoint", "ChannelCount", "TimePointCount", "SetIsoLevel", "SetAttenuation", "SetCrop", "SetClipPlane",
      "ClearClipPlane", "SetProjection", "SetQuality"};
  // The engine's functions, objects and constants.
  static const std::vector<std::string_view> builtIn{
      "Abs", "Array", "Asc", "AscW", "Atn", "CBool", "CByte", "CCur", "CDate", "CDbl", "Chr", "ChrW", "CInt", "CLng",
      "Cos", "CreateObject", "CSng", "CStr", "Date", "DateAdd", "DateDiff", "DatePart", "DateSerial", "DateValue",
      "Day", "Err", "Escape", "Eval", "Execute", "ExecuteGlobal", "Exp", "Filter", "Fix", "FormatCurrency",
      "FormatDateTime", "FormatNumber", "FormatPercent", "GetObject", "GetRef", "Hex", "Hour", "InputBox", "InStr",
      "InStrRev", "Int", "IsArray", "IsDate", "IsEmpty", "IsNull", "IsNumeric", "IsObject", "Join", "LBound", "LCase",
      "Left", "Len", "Log", "LTrim", "Mid", "Minute", "Month", "MonthName", "MsgBox", "Now", "Oct", "RegExp",
      "Replace", "RGB", "Right", "Rnd", "Round", "RTrim", "ScriptEngine", "ScriptEngineBuildVersion",
      "ScriptEngineMajorVersion", "ScriptEngineMinorVersion", "Second", "Sgn", "Sin", "Space", "Split", "Sqr",
      "StrComp", "String", "StrReverse", "Tan", "Time", "Timer", "TimeSerial", "TimeValue", "Trim", "TypeName",
      "UBound", "UCase", "Unescape", "VarType", "Weekday", "WeekdayName", "Year", "vbCr", "vbLf", "vbCrLf",
      "vbNewLine", "vbTab", "vbFormFeed", "vbVerticalTab", "vbNullString", "vbNullChar", "vbOKOnly", "vbOKCancel",
      "vbAbortRetryIgnore", "vbYesNoCancel", "vbYesNo", "vbRetryCancel", "vbCritical", "vbQuestion", "vbExclamation",
      "vbInformation", "vbDefaultButton1", "vbDefaultButton2", "vbDefaultButton3", "vbDefaultButton4",
      "vbApplicationModal", "vbSystemModal", "vbMsgBoxHelpButton", "vbMsgBoxSetForeground", "vbMsgBoxRight",
      "vbMsgBoxRtlReading", "vbOK", "vbCancel", "vbAbort", "vbRetry", "vbIgnore", "vbYes", "vbNo", "vbEmpty",
      "vbNull", "vbInteger", "vbLong", "vbSingle", "vbDouble", "vbCurrency", "vbDate", "vbString", "vbObject",
      "vbError", "vbBoolean", "vbVariant", "vbDataObject", "vbDecimal", "vbByte", "vbArray", "vbBinaryCompare",
      "vbTextCompare", "vbDatabaseCompare", "vbUseSystemDayOfWeek", "vbSunday", "vbMonday", "vbTuesday",
      "vbWednesday", "vbThursday", "vbFriday", "vbSaturday", "vbUseSystem", "vbFirstJan1", "vbFirstFourDays",
      "vbFirstFullWeek", "vbGeneralDate", "vbLongDate", "vbShortDate", "vbLongTime", "vbShortTime", "vbUseDefault",
      "vbTrue", "vbFalse", "vbObjectError", "vbBlack", "vbRed", "vbGreen", "vbYellow", "vbBlue", "vbMagenta",
      "vbCyan", "vbWhite"};
  switch (group) {
    case WordGroup::Keyword: return keywords;
    case WordGroup::ScopeKeyword: return scope;
    case WordGroup::ScriptObject: return object;
    case WordGroup::BuiltIn: return builtIn;
  }
  return keywords;
}

std::string LexerWordList(WordGroup group) {
  std::string list;
  for (std::string_view word : WordsOf(group)) {
    if (!list.empty()) list += ' ';
    list += Lower(word);
  }
  return list;
}

namespace {

struct KnownWord {
  std::string_view proper;
  WordGroup group;
};

const KnownWord* Find(std::string_view word) {
  static const std::unordered_map<std::string, KnownWord> table = [] {
    std::unordered_map<std::string, KnownWord> t;
    for (WordGroup g : {WordGroup::Keyword, WordGroup::ScopeKeyword, WordGroup::ScriptObject, WordGroup::BuiltIn})
      for (std::string_view w : WordsOf(g)) t.emplace(Lower(w), KnownWord{w, g});
    return t;
  }();
  if (word.empty() || word.size() > 32) return nullptr;
  const auto it = table.find(Lower(word));
  return it == table.end() ? nullptr : &it->second;
}

}  // namespace

std::string_view ProperCase(std::string_view word) {
  const KnownWord* known = Find(word);
  return known ? known->proper : std::string_view{};
}

std::optional<WordGroup> GroupOf(std::string_view word) {
  const KnownWord* known = Find(word);
  if (!known) return std::nullopt;
  return known->group;
}

}  // namespace lumetrix::scripting
