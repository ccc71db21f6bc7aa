// FormatCurrency FormatDateTime FormatNumber FormatPercent Hex Oct (US English conventions).
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(BuiltinFormat, NumbersRoundHalfAwayFromZeroAndGroupDigits) {
  ExpectEvals({
      {"FormatNumber(1234567.891)", "String 1,234,567.89"}, {"FormatNumber(1234.5678, 3)", "String 1,234.568"},
      {"FormatNumber(1, -1)", "String 1.00"}, {"FormatNumber(123.456, 0)", "String 123"},
      {"FormatNumber(2.5, 0)", "String 3"}, {"FormatNumber(-2.5, 0)", "String -3"},
      {"FormatNumber(0.125, 2)", "String 0.13"}, {"FormatNumber(2.675, 2)", "String 2.68"},
      {"FormatNumber(999.999, 2)", "String 1,000.00"}, {"FormatNumber(0.000001234, 8)", "String 0.00000123"},
      {"FormatNumber(1E+20, 0)", "String 100,000,000,000,000,000,000"},
      {"FormatNumber(CSng(1.1), 10)", "String 1.1000000000"}, {"FormatNumber(-0.001, 2)", "String 0.00"},
      {"FormatNumber(\"1234.5\")", "String 1,234.50"}, {"FormatNumber(Empty)", "String 0.00"},
      {"FormatNumber(True, 0)", "String -1"},
      // Leading zero, parentheses for negatives, grouping.
      {"FormatNumber(0.5, 2, 0)", "String .50"}, {"FormatNumber(0.5, 2, vbTrue)", "String 0.50"},
      {"FormatNumber(0.5, 2, vbUseDefault)", "String 0.50"}, {"FormatNumber(-1234.5, 1, , vbTrue)", "String (1,234.5)"},
      {"FormatNumber(-1234.5, 1, , vbFalse)", "String -1,234.5"}, {"FormatNumber(1234, 0, , , vbFalse)", "String 1234"},
      {"FormatNumber(123, 0, , , vbTrue)", "String 123"}, {"FormatNumber(-0.5, 1, 0, -1)", "String (.5)"},
      {"FormatNumber(\"abc\")", "error 13"}, {"FormatNumber(Null)", "error 13"}, {"FormatNumber(1, 1000)", "error 5"},
      {"FormatNumber(1, -2)", "error 5"}, {"FormatNumber(Array(1))", "error 13"}, {"FormatNumber()", "error 450"},
      {"FormatNumber(1, 2, 3, 4, 5, 6)", "error 450"},
      {"FormatPercent(0.256)", "String 25.60%"}, {"FormatPercent(1, 0)", "String 100%"},
      {"FormatPercent(-0.5)", "String -50.00%"}, {"FormatPercent(12.3456, 1)", "String 1,234.6%"},
      {"FormatCurrency(1234.5)", "String $1,234.50"}, {"FormatCurrency(-1234.5)", "String ($1,234.50)"},
      {"FormatCurrency(-1, 0, , vbFalse)", "String -$1"}, {"FormatPercent(\"x\")", "error 13"},
  });
}

TEST(BuiltinFormat, FormatDateTime) {
  ExpectEvals({
      {"FormatDateTime(#12/7/2026 3:04:05 PM#)", "String 12/7/2026 3:04:05 PM"},
      {"FormatDateTime(#12/7/2026 3:04:05 PM#, vbGeneralDate)", "String 12/7/2026 3:04:05 PM"},
      {"FormatDateTime(#12/7/2026 3:04:05 PM#, vbLongDate)", "String Monday, December 7, 2026"},
      {"FormatDateTime(#12/7/2026 3:04:05 PM#, vbShortDate)", "String 12/7/2026"},
      {"FormatDateTime(#12/7/2026 3:04:05 PM#, vbLongTime)", "String 3:04:05 PM"},
      {"FormatDateTime(#12/7/2026 3:04:05 PM#, vbShortTime)", "String 15:04"},
      {"FormatDateTime(#12/7/2026#)", "String 12/7/2026"}, {"FormatDateTime(#3:04 PM#)", "String 3:04:00 PM"},
      {"FormatDateTime(#12/7/2026#, vbLongTime)", "String 12:00:00 AM"},
      {"FormatDateTime(#12/31/9999 11:59:59 PM#)", "String 12/31/9999 11:59:59 PM"},
      {"FormatDateTime(#1/1/100#, vbLongDate)", "String Friday, January 1, 100"},
      {"FormatDateTime(\"2026-12-07\", 2)", "String 12/7/2026"}, {"FormatDateTime(#12/7/2026#, 5)", "error 5"},
      {"FormatDateTime(#12/7/2026#, -1)", "error 5"}, {"FormatDateTime(\"abc\")", "error 13"},
      {"FormatDateTime(Null)", "error 13"},
  });
}

TEST(BuiltinFormat, HexAndOctShowIntegersAsTwosComplement) {
  ExpectEvals({
      {"Hex(255)", "String FF"}, {"Hex(0)", "String 0"}, {"Hex(Empty)", "String 0"},
      {"Hex(-1)", "String FFFF"},  // an Integer: 16 bits
      {"Hex(CLng(-1))", "String FFFFFFFF"}, {"Hex(65536)", "String 10000"}, {"Hex(-32769)", "String FFFF7FFF"},
      {"Hex(-2147483648)", "String 80000000"}, {"Hex(1.5)", "String 2"}, {"Hex(2.5)", "String 2"},
      {"Hex(\"16\")", "String 10"}, {"Hex(True)", "String FFFF"}, {"Hex(CByte(255))", "String FF"},
      {"Hex(Null)", "Null"}, {"Hex(2147483648)", "error 6"}, {"Hex(\"x\")", "error 13"}, {"Oct(8)", "String 10"},
      {"Oct(0)", "String 0"}, {"Oct(-1)", "String 177777"}, {"Oct(CLng(-1))", "String 37777777777"},
      {"Oct(Null)", "Null"}, {"CLng(\"&H\" & Hex(123456))", "Long 123456"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
