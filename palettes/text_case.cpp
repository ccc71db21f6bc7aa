#include "palettes/text_case.h"

#include <cstdint>

namespace lumetrix::palettes {
namespace {

// Decodes one code point at text[i]; returns its length in bytes, 0 when the bytes there are
// not a well-formed sequence.
std::size_t Decode(std::string_view text, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<uint8_t>(text[i]);
  std::size_t len = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<uint8_t>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

void Encode(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Latin Extended-A pairs upper/lower as even/odd or odd/even code points by block.
bool LatinExtAUpperIsEven(char32_t cp) {
  // U+0130/U+0131 (dotted capital I, dotless small i) pair with ASCII letters: left alone.
  return (cp >= 0x100 && cp <= 0x137 && cp != 0x130 && cp != 0x131) || (cp >= 0x14A && cp <= 0x177);
}
bool LatinExtAUpperIsOdd(char32_t cp) {
  return (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
}

char32_t Lower(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
  if (cp == 0x178) return 0xFF;
  if (LatinExtAUpperIsEven(cp) && cp % 2 == 0) return cp + 1;
  if (LatinExtAUpperIsOdd(cp) && cp % 2 == 1) return cp + 1;
  if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) return cp + 32;
  if (cp >= 0x410 && cp <= 0x42F) return cp + 32;
  if (cp >= 0x400 && cp <= 0x40F) return cp + 80;
  return cp;
}

char32_t Upper(char32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
  if (cp == 0xFF) return 0x178;
  if (LatinExtAUpperIsEven(cp) && cp % 2 == 1) return cp - 1;
  if (LatinExtAUpperIsOdd(cp) && cp % 2 == 0) return cp - 1;
  if (cp >= 0x3B1 && cp <= 0x3C9 && cp != 0x3C2) return cp - 32;
  if (cp >= 0x430 && cp <= 0x44F) return cp - 32;
  if (cp >= 0x450 && cp <= 0x45F) return cp - 80;
  return cp;
}

template <typename Map>
std::string MapCase(std::string_view text, Map map, std::size_t maxChars) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0, chars = 0;
  while (i < text.size()) {
    char32_t cp = 0;
    const std::size_t len = Decode(text, i, cp);
    if (len == 0) {  // malformed: keep the byte as it is
      out += text[i++];
    } else {
      if (chars < maxChars) Encode(map(cp), out);
      else out.append(text.substr(i, len));
      i += len;
    }
    ++chars;
  }
  return out;
}

}  // namespace

std::string ToLowerUtf8(std::string_view text) {
  return MapCase(text, Lower, std::string_view::npos);
}

std::string UpperFirstUtf8(std::string_view text) { return MapCase(text, Upper, 1); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return ToLowerUtf8(a) == ToLowerUtf8(b);
}

}  // namespace lumetrix::palettes
