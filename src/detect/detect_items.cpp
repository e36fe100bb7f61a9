#include <algorithm>
#include <array>
#include <optional>

#include "base/unicode.h"
#include "base/utf.h"
#include "base/win_path.h"
#include "detect/detect.h"
#include "detect/lines.h"

namespace detect {
namespace {

bool is_wrapping(char c) { return c == '"' || c == '\'' || c == '<' || c == '>'; }

// Blanks, then quotes and angle brackets (any mix, from both ends), then blanks again.
std::string_view clean_line(std::string_view line) {
  line = base::trim(line);
  while (!line.empty() && is_wrapping(line.front())) line.remove_prefix(1);
  while (!line.empty() && is_wrapping(line.back())) line.remove_suffix(1);
  return base::trim(line);
}

bool contains_white_space(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (base::is_white_space(base::decode_utf8(text, pos))) return true;
  }
  return false;
}

// A prefix and at least one character after it.
bool has_scheme(std::string_view line) {
  static constexpr std::array<std::string_view, 4> kSchemes = {"http://", "https://", "ftp://", "mailto:"};
  return std::any_of(kSchemes.begin(), kSchemes.end(), [line](std::string_view scheme) {
    return line.size() > scheme.size() && base::ascii_istarts_with(line, scheme);
  });
}

// "www." with another dot after it, not at the very end (www.a.bc, not www.abc or www.a.).
bool is_www_address(std::string_view line) {
  return line.size() > 4 && base::ascii_istarts_with(line, "www.") &&
         line.find('.', 4) != std::string_view::npos && line.back() != '.';
}

bool is_web_address(std::string_view line) {
  if (line.size() <= 3 || contains_white_space(line)) return false;
  return has_scheme(line) || is_www_address(line);
}

// "%USERPROFILE%\Documents": a path that begins with an environment variable
// (kept as written, expanded when used).
bool starts_with_variable(std::string_view line) {
  if (line.size() < 4 || line.front() != '%') return false;
  const std::size_t end = line.find('%', 1);
  if (end == std::string_view::npos || end == 1) return false;
  if (contains_white_space(line.substr(1, end - 1))) return false;
  return end + 1 == line.size() || base::win_path::is_separator(line[end + 1]);
}

// D:\Docs, d:/docs, a network path \\server\share, or one from a variable.
bool looks_like_path(std::string_view line) {
  return base::win_path::starts_with_drive(line) || line.starts_with(base::win_path::kUncPrefix) ||
         starts_with_variable(line);
}

// U+0000 to U+001F and U+007F; in UTF-8 these bytes stand only for themselves.
bool has_control_character(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// The path of "file://localhost/C:/x" (or of "file://localhost"): the host
// "localhost" names this computer, as no host does (RFC 8089).
std::optional<std::string_view> path_after_localhost(std::string_view rest) {
  constexpr std::string_view kLocalhost = "localhost";
  if (!base::ascii_istarts_with(rest, kLocalhost)) return std::nullopt;
  rest.remove_prefix(kLocalhost.size());
  if (rest.empty()) return rest;
  if (rest.front() != '/') return std::nullopt;  // a host such as localhost2
  return rest.substr(1);
}

// file:///C:/x → C:\x; file://server/x → \\server\x.
std::optional<bundle::Item> item_from_file_url(std::string_view rest, bool network) {
  std::string path = percent_decode(rest);
  // A URL that names nothing ("file:///") would make an item without a target.
  if (base::trim(path).empty()) return std::nullopt;
  // No file name holds one; Windows would end "C:\notepad.exe%00.txt" at the
  // NUL and open another file than the one classified and shown.
  if (has_control_character(path)) return std::nullopt;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (network) path.insert(0, base::win_path::kUncPrefix);
  return item_from_path(path);
}

std::optional<bundle::Item> item_from_line(std::string_view raw) {
  const std::string_view line = clean_line(raw);
  if (line.empty()) return std::nullopt;

  if (base::ascii_istarts_with(line, "file:///")) return item_from_file_url(line.substr(8), false);
  if (base::ascii_istarts_with(line, "file://")) {
    const std::string_view rest = line.substr(7);
    if (auto local = path_after_localhost(rest)) return item_from_file_url(*local, false);
    return item_from_file_url(rest, true);
  }

  if (is_web_address(line)) {
    bundle::Item item;
    item.kind = bundle::Kind::url;
    if (base::ascii_istarts_with(line, "www.")) item.target = "https://";
    item.target += line;
    return item;
  }

  if (bundle::is_packaged_app(line) && !has_control_character(line)) return bundle::Item{bundle::Kind::app, std::string(line), {}, {}};
  if (looks_like_path(line)) return item_from_path(line);
  return std::nullopt;  // relative paths, a bare "C:", words, numbers
}

}  // namespace

std::vector<bundle::Item> detect_items(std::string_view text) {
  // Pasted text is UTF-8 already; anything else is repaired once here so that
  // every target is text the store can write.
  std::string repaired;
  if (!base::is_valid_utf8(text)) {
    repaired = base::sanitize_utf8(text);
    text = repaired;
  }
  std::vector<bundle::Item> items;
  for (std::string_view line : split_lines(text)) {
    if (auto item = item_from_line(line)) items.push_back(std::move(*item));
  }
  return items;
}

}  // namespace detect
