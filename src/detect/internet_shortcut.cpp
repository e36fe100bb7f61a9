#include "detect/internet_shortcut.h"

#include "base/unicode.h"
#include "base/utf.h"
#include "base/win_path.h"
#include "detect/lines.h"

namespace detect {
namespace {

constexpr std::string_view kSectionHeader = "[InternetShortcut]";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::optional<std::string> internet_shortcut_address(std::string_view bytes) {
  const std::string text = base::sanitize_utf8(bytes);
  std::string_view rest = text;
  // Notepad and many tools save UTF-8 with a byte order mark; it would
  // otherwise hide the section header on the first line.
  if (rest.substr(0, kByteOrderMark.size()) == kByteOrderMark) rest.remove_prefix(kByteOrderMark.size());

  bool in_section = false;
  for (std::string_view line : split_lines(rest)) {
    line = base::trim(line);
    if (!line.empty() && line.front() == '[') {
      in_section = base::ascii_iequals(line, kSectionHeader);
      continue;
    }
    if (!in_section) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = base::trim(line.substr(0, equals));
    const std::string_view value = base::trim(line.substr(equals + 1));
    if (base::ascii_iequals(key, "URL") && !value.empty()) return std::string(value);
  }
  return std::nullopt;
}

std::string path_stem(std::string_view path) {
  std::string_view name = base::win_path::last_component(path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace detect
