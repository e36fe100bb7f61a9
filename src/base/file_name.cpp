#include "base/file_name.h"

#include <array>
#include <cstddef>

#include "base/unicode.h"
#include "base/utf.h"

namespace base {
namespace {

constexpr std::size_t kMaxScalars = 80;

bool is_forbidden(char32_t cp) {
  switch (cp) {
    case U'\\': case U'/': case U':': case U'*': case U'?': case U'"': case U'<': case U'>': case U'|':
      return true;
    default:
      return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
  }
}

// Windows maps these names to devices even with an extension after them
// ("CON.tolvik"), so such a file cannot be written.
bool is_device_name(std::string_view stem) {
  static constexpr std::array<std::string_view, 7> kPlain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$",
                                                             "CLOCK$"};
  for (std::string_view name : kPlain) {
    if (base::ascii_iequals(stem, name)) return true;
  }
  if (!base::ascii_istarts_with(stem, "COM") && !base::ascii_istarts_with(stem, "LPT")) return false;
  const std::string_view digit = stem.substr(3);
  // 1 to 9, and the superscripts ¹ ² ³ that Windows treats as digits there.
  return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\u00B9" || digit == "\u00B2" ||
         digit == "\u00B3";
}

}  // namespace

std::string safe_file_name(std::string_view text) {
  std::string replaced;
  replaced.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t cp = base::decode_utf8(text, pos);
    if (is_forbidden(cp)) {
      replaced += '_';
    } else {
      base::append_utf8(replaced, cp);
    }
  }

  std::string_view name = base::trim(replaced);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  if (name.empty()) return "tolvik";

  std::string result(name);
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  if (is_device_name(stem)) result = std::string(stem) + "_" + std::string(name.substr(stem.size()));

  // The first 80 scalar values; the text is valid UTF-8 by now.
  std::size_t end = 0;
  for (std::size_t count = 0; end < result.size() && count < kMaxScalars; ++count) base::decode_utf8(result, end);
  result.resize(end);
  return result;
}

}  // namespace base
