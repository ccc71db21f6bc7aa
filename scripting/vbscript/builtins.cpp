#include "builtins.h"

#include <unordered_map>

#include "builtins_args.h"

namespace lumetrix::vbs {

const std::vector<Builtin>& Builtins() {
  static const std::vector<Builtin> table = [] {
    std::vector<Builtin> t;
    AddMathBuiltins(t);
    AddConversionBuiltins(t);
    AddStringBuiltins(t);
    AddInfoBuiltins(t);
    AddDateBuiltins(t);
    AddFormatBuiltins(t);
    AddInteractionBuiltins(t);
    AddDynamicBuiltins(t);
    return t;
  }();
  return table;
}

int FindBuiltin(const std::string& lowerName) {
  static const std::unordered_map<std::string, int> index = [] {
    std::unordered_map<std::string, int> m;
    const auto& t = Builtins();
    for (size_t i = 0; i < t.size(); ++i) m.emplace(NameKey(t[i].name), static_cast<int>(i));
    return m;
  }();
  auto it = index.find(lowerName);
  return it == index.end() ? -1 : it->second;
}

namespace {

// Text constants are built afresh for every lookup: string Variants are reference counted
// without atomics, so no Variant may be shared between engines on different threads.
struct ConstantValue {
  bool isText = false;
  int32_t number = 0;
  ustring text;
  bool isInteger = false;
};

struct NamedConstant {
  const char* name;
  ConstantValue value;
};

std::vector<NamedConstant> ConstantTable() {
  // Integer where the value fits 16 bits (VBScript's subtype for most constants); colours and
  // vbObjectError are Long.
  auto L = [](int32_t v) { return ConstantValue{false, v, {}, v >= -32768 && v <= 32767}; };
  auto Long = [](int32_t v) { return ConstantValue{false, v, {}, false}; };
  auto S = [](ustring s) { return ConstantValue{true, 0, std::move(s)}; };
  return {
      // Strings
      {"vbCr", S(u"\r")},
      {"vbLf", S(u"\n")},
      {"vbCrLf", S(u"\r\n")},
      {"vbNewLine", S(u"\r\n")},
      {"vbTab", S(u"\t")},
      {"vbFormFeed", S(u"\f")},
      {"vbVerticalTab", S(u"\v")},
      {"vbNullString", S(u"")},
      {"vbNullChar", S(ustring(1, u'\0'))},
      // MsgBox buttons, icons, defaults and modality
      {"vbOKOnly", L(0)},
      {"vbOKCancel", L(1)},
      {"vbAbortRetryIgnore", L(2)},
      {"vbYesNoCancel", L(3)},
      {"vbYesNo", L(4)},
      {"vbRetryCancel", L(5)},
      {"vbCritical", L(16)},
      {"vbQuestion", L(32)},
      {"vbExclamation", L(48)},
      {"vbInformation", L(64)},
      {"vbDefaultButton1", L(0)},
      {"vbDefaultButton2", L(256)},
      {"vbDefaultButton3", L(512)},
      {"vbDefaultButton4", L(768)},
      {"vbApplicationModal", L(0)},
      {"vbSystemModal", L(4096)},
      {"vbMsgBoxHelpButton", L(16384)},
      {"vbMsgBoxSetForeground", L(65536)},
      {"vbMsgBoxRight", L(524288)},
      {"vbMsgBoxRtlReading", L(1048576)},
      // MsgBox answers
      {"vbOK", L(1)},
      {"vbCancel", L(2)},
      {"vbAbort", L(3)},
      {"vbRetry", L(4)},
      {"vbIgnore", L(5)},
      {"vbYes", L(6)},
      {"vbNo", L(7)},
      // VarType
      {"vbEmpty", L(0)},
      {"vbNull", L(1)},
      {"vbInteger", L(2)},
      {"vbLong", L(3)},
      {"vbSingle", L(4)},
      {"vbDouble", L(5)},
      {"vbCurrency", L(6)},
      {"vbDate", L(7)},
      {"vbString", L(8)},
      {"vbObject", L(9)},
      {"vbError", L(10)},
      {"vbBoolean", L(11)},
      {"vbVariant", L(12)},
      {"vbDataObject", L(13)},
      {"vbDecimal", L(14)},
      {"vbByte", L(17)},
      {"vbArray", L(8192)},
      // Comparison
      {"vbBinaryCompare", L(0)},
      {"vbTextCompare", L(1)},
      {"vbDatabaseCompare", L(2)},
      // Days of the week and first week of the year
      {"vbUseSystemDayOfWeek", L(0)},
      {"vbSunday", L(1)},
      {"vbMonday", L(2)},
      {"vbTuesday", L(3)},
      {"vbWednesday", L(4)},
      {"vbThursday", L(5)},
      {"vbFriday", L(6)},
      {"vbSaturday", L(7)},
      {"vbUseSystem", L(0)},
      {"vbFirstJan1", L(1)},
      {"vbFirstFourDays", L(2)},
      {"vbFirstFullWeek", L(3)},
      // Date formats
      {"vbGeneralDate", L(0)},
      {"vbLongDate", L(1)},
      {"vbShortDate", L(2)},
      {"vbLongTime", L(3)},
      {"vbShortTime", L(4)},
      // Tristate
      {"vbUseDefault", L(-2)},
      {"vbTrue", L(-1)},
      {"vbFalse", L(0)},
      // Errors
      {"vbObjectError", Long(static_cast<int32_t>(0x80040000u))},
      // Colours (0x00BBGGRR)
      {"vbBlack", Long(0x000000)},
      {"vbRed", Long(0x0000FF)},
      {"vbGreen", Long(0x00FF00)},
      {"vbYellow", Long(0x00FFFF)},
      {"vbBlue", Long(0xFF0000)},
      {"vbMagenta", Long(0xFF00FF)},
      {"vbCyan", Long(0xFFFF00)},
      {"vbWhite", Long(0xFFFFFF)},
  };
}

}  // namespace

bool FindBuiltinConstant(const std::string& lowerName, Variant& value) {
  static const std::unordered_map<std::string, ConstantValue> constants = [] {
    std::unordered_map<std::string, ConstantValue> m;
    for (auto& c : ConstantTable()) m.emplace(NameKey(c.name), std::move(c.value));
    return m;
  }();
  auto it = constants.find(lowerName);
  if (it == constants.end()) return false;
  const ConstantValue& c = it->second;
  value = c.isText ? Variant(c.text) : c.isInteger ? Variant::Integer(c.number) : Variant(c.number);
  return true;
}

// DISP_E_PARAMNOTFOUND, the code VBScript gives an argument left out.
Variant MissingArgument() { return Variant::Error(static_cast<int32_t>(0x80020004u)); }

int32_t OptionalLong(const Variant* args, int nargs, int index, int32_t fallback) {
  if (!bi::Given(args, nargs, index)) return fallback;
  return bi::LongArg(args[index]);
}

}  // namespace lumetrix::vbs
