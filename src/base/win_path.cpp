#include "base/win_path.h"

#include <algorithm>

#include "base/unicode.h"

namespace base::win_path {
namespace {

std::size_t root_length(std::string_view path) {
  if (path.size() >= 2 && is_drive_letter(path[0]) && path[1] == ':') {
    return path.size() > 2 && is_separator(path[2]) ? 3 : 2;
  }
  if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
    // Server (or "?" / ".") and share: two components after the leading pair.
    std::size_t pos = 2;
    for (int component = 0; component < 2; ++component) {
      while (pos < path.size() && !is_separator(path[pos])) ++pos;
      if (pos < path.size()) ++pos;  // the separator after the component
    }
    return pos;
  }
  if (!path.empty() && is_separator(path[0])) return 1;
  return 0;
}

std::size_t last_separator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (is_separator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

// "\\?\" or "\\.\": the long-path and device forms, which name a local drive
// or (after "UNC\") a server.
bool has_device_prefix(std::string_view path) {
  return path.size() >= 4 && is_separator(path[0]) && is_separator(path[1]) && (path[2] == '?' || path[2] == '.') &&
         is_separator(path[3]);
}

// The text same_path compares: backslashes only, no trailing separator but a
// drive root's, lower-cased by the full Unicode rules.
std::string comparable_path(std::string_view path) {
  std::string text(path);
  std::replace(text.begin(), text.end(), '/', '\\');
  while (text.size() > 1 && text.back() == '\\' && !(text.size() == 3 && text[1] == ':')) text.pop_back();
  return to_lower_full(text);
}

}  // namespace

bool same_path(std::string_view a, std::string_view b) { return comparable_path(a) == comparable_path(b); }

bool is_separator(char c) { return c == '\\' || c == '/'; }

bool is_drive_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool ends_with_separator(std::string_view path) { return !path.empty() && is_separator(path.back()); }

std::string_view without_trailing_separators(std::string_view path) {
  while (ends_with_separator(path)) path.remove_suffix(1);
  return path;
}

std::string_view without_trailing_backslashes(std::string_view path) {
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

std::string_view root(std::string_view path) { return path.substr(0, root_length(path)); }

std::string_view parent(std::string_view path) {
  const std::size_t root = root_length(path);
  const std::size_t last = last_separator(path);
  if (last == std::string_view::npos || last < root)
    return root == path.size() ? std::string_view() : path.substr(0, root);
  std::size_t end = last;
  while (end > root && is_separator(path[end - 1])) --end;
  return path.substr(0, end);
}

std::string_view file_name(std::string_view path) {
  const std::size_t root = root_length(path);
  const std::size_t last = last_separator(path);
  if (last == std::string_view::npos || last < root) return path.substr(root);
  return path.substr(last + 1);
}

std::string_view last_component(std::string_view path) {
  path = without_trailing_separators(path);
  const std::size_t last = last_separator(path);
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string join(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && !is_separator(joined.back())) joined += '\\';
  joined += name;
  return joined;
}

bool starts_with_drive(std::string_view path) {
  return path.size() >= 3 && is_drive_letter(path[0]) && path[1] == ':' && is_separator(path[2]);
}

bool is_drive_root(std::string_view path) { return (path.size() == 2 || path.size() == 3) && path.ends_with(":\\"); }

bool names_share(std::string_view path) {
  if (has_device_prefix(path)) {
    path.remove_prefix(4);
    return path.size() >= 4 && (path.substr(0, 3) == "UNC" || path.substr(0, 3) == "unc") && is_separator(path[3]);
  }
  return path.size() >= 2 && is_separator(path[0]) && is_separator(path[1]);
}

std::optional<char> drive_letter(std::string_view path) {
  if (has_device_prefix(path)) path.remove_prefix(4);
  if (path.size() >= 2 && path[1] == ':' && is_drive_letter(path[0])) return path[0];
  return std::nullopt;
}

}  // namespace base::win_path
