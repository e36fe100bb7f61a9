#include "base/utf.h"

#include <cstdint>

namespace base {
namespace {

constexpr bool is_surrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }
constexpr bool is_high_surrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool is_low_surrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes one code point at `pos`. An invalid sequence yields U+FFFD and
// consumes its maximal subpart: the longest prefix that could still have
// begun a well-formed sequence, or else the one offending byte (the practice
// of Unicode chapter 3 and of the WHATWG decoder). `ok` reports which.
char32_t decode_one(std::string_view text, std::size_t& pos, bool& ok) {
  const std::size_t n = text.size();
  const unsigned char lead = static_cast<unsigned char>(text[pos++]);
  ok = true;
  if (lead < 0x80) return lead;

  int needed;
  char32_t cp;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    needed = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    needed = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlongs
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    needed = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // no overlongs
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    ok = false;  // a continuation byte, C0, C1 or F5..FF
    return kReplacementChar;
  }
  for (int k = 0; k < needed; ++k) {
    if (pos >= n) {
      ok = false;
      return kReplacementChar;
    }
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (byte < low || byte > high) {
      ok = false;  // the offending byte starts the next sequence
      return kReplacementChar;
    }
    cp = (cp << 6) | (byte & 0x3F);
    ++pos;
    low = 0x80;
    high = 0xBF;
  }
  return cp;
}

template <class Char>
void append_utf16(std::basic_string<Char>& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<Char>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<Char>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<Char>(0xDC00 + (cp & 0x3FF)));
  }
}

template <class Char>
std::basic_string<Char> to_utf16(std::string_view text) {
  std::basic_string<Char> out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      out.push_back(static_cast<Char>(byte));
      ++pos;
    } else {
      append_utf16(out, decode_utf8(text, pos));
    }
  }
  return out;
}

template <class Char>
std::string from_utf16(std::basic_string_view<Char> text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = static_cast<std::uint16_t>(text[i]);
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
    } else if (is_high_surrogate(unit) && i + 1 < text.size() &&
               is_low_surrogate(static_cast<std::uint16_t>(text[i + 1]))) {
      const char32_t low = static_cast<std::uint16_t>(text[++i]);
      append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else {
      append_utf8(out, unit);  // a lone surrogate becomes U+FFFD there
    }
  }
  return out;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    bool ok;
    decode_one(bytes, pos, ok);
    if (!ok) return false;
  }
  return true;
}

std::string sanitize_utf8(std::string_view bytes) {
  if (is_valid_utf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + 8);
  std::size_t pos = 0;
  while (pos < bytes.size()) append_utf8(out, decode_utf8(bytes, pos));
  return out;
}

char32_t decode_utf8(std::string_view text, std::size_t& pos) {
  if (pos >= text.size()) return kReplacementChar;
  bool ok;
  return decode_one(text, pos, ok);
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || is_surrogate(cp)) cp = kReplacementChar;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::u16string utf8_to_utf16(std::string_view text) { return to_utf16<char16_t>(text); }

std::string utf16_to_utf8(std::u16string_view text) { return from_utf16(text); }

#ifdef _WIN32
static_assert(sizeof(wchar_t) == 2, "wchar_t is UTF-16 on Windows");

std::wstring widen(std::string_view text) { return to_utf16<wchar_t>(text); }

std::string narrow(std::wstring_view text) { return from_utf16(text); }
#endif

}  // namespace base
