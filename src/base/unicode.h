#pragma once
// Unicode rules the program depends on: full lower-casing (special casing
// included, such as U+0130 and the final sigma) and White_Space trimming.
// The tables come from the Unicode Character Database (see unicode_tables.inc).

#include <string>
#include <string_view>

namespace base {

// Lower-cases UTF-8 text by the full Unicode rules (SpecialCasing included),
// language-insensitive: U+0130 becomes "i" U+0307, and a capital sigma becomes
// final U+03C2 after a cased letter not followed by one (case-ignorable
// characters skipped both ways), else U+03C3. Invalid UTF-8 becomes U+FFFD.
std::string to_lower_full(std::string_view text);

// The same, appended to `out`, so that a caller lowering many names can reuse
// one buffer. Invalid UTF-8 becomes U+FFFD.
void append_lower_full(std::string& out, std::string_view text);

// The Unicode version the tables were generated from, such as "15.0.0".
std::string_view unicode_version();

// Unicode White_Space property.
bool is_white_space(char32_t cp);

// Removes Unicode white space from both ends.
std::string_view trim(std::string_view text);

// ASCII-only helpers for rules that say "ASCII case-insensitive".
std::string ascii_lower(std::string_view text);
bool ascii_iequals(std::string_view a, std::string_view b);
bool ascii_istarts_with(std::string_view text, std::string_view prefix);

}  // namespace base
