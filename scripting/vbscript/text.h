#pragma once
// UTF-8 / UTF-16 conversion and case mapping. Script strings are UTF-16, like VBScript's BSTRs,
// so Len, Mid and AscW count code units as users expect.
#include <string>
#include <string_view>

namespace lumetrix::vbs {

using ustring = std::u16string;
using ustring_view = std::u16string_view;

ustring FromUtf8(std::string_view s);   // invalid bytes become U+FFFD
std::string ToUtf8(ustring_view s);     // unpaired surrogates become U+FFFD
ustring FromAscii(std::string_view s);  // plain widening (for numbers and fixed texts)

char16_t ToLowerChar(char16_t c);
char16_t ToUpperChar(char16_t c);
ustring ToLower(ustring_view s);
ustring ToUpper(ustring_view s);
// Case-insensitive (vbTextCompare) comparison: <0, 0, >0.
int CompareText(ustring_view a, ustring_view b);
int CompareBinary(ustring_view a, ustring_view b);
bool EqualsNoCase(ustring_view a, ustring_view b);
// Lower-case key for case-insensitive name lookup of identifiers.
std::string NameKey(std::string_view name);

}  // namespace lumetrix::vbs
