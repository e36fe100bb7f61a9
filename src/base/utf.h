#pragma once
// UTF-8 inside the program, UTF-16 at Win32 calls. Invalid input never fails a
// conversion: bad sequences and unpaired surrogates become U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool is_valid_utf8(std::string_view bytes);

// Reads bytes as UTF-8, replacing each invalid sequence with U+FFFD.
std::string sanitize_utf8(std::string_view bytes);

std::u16string utf8_to_utf16(std::string_view text);
std::string utf16_to_utf8(std::u16string_view text);

// Decodes the code point at `pos` and advances it; invalid sequences yield U+FFFD.
// At or past the end it returns U+FFFD and leaves `pos` alone.
char32_t decode_utf8(std::string_view text, std::size_t& pos);
// Surrogates and values above U+10FFFF are written as U+FFFD.
void append_utf8(std::string& out, char32_t cp);

#ifdef _WIN32
// wchar_t is UTF-16 on Windows; these are the conversions at every Win32 call.
std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);
#endif

}  // namespace base
