#include "base/path_list.h"

#include <vector>

#include "base/unicode.h"
#include "base/win_path.h"

namespace base::path_list {
namespace {

std::vector<std::string_view> entries(std::string_view list) {
  std::vector<std::string_view> found;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = list.find(';', start);
    found.push_back(list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return found;
    start = end + 1;
  }
}

std::string key(std::string_view folder) {
  // "C:\" keeps its separator: without it, it would be the drive's current folder.
  std::string_view trimmed = win_path::without_trailing_separators(folder);
  if (trimmed.size() < folder.size() && trimmed.size() == 2 && win_path::starts_with_drive(trimmed)) trimmed = folder;
  return to_lower_full(trimmed);
}

bool same(std::string_view entry, std::string_view folder) { return !entry.empty() && key(entry) == key(folder); }

}  // namespace

bool contains(std::string_view list, std::string_view folder) {
  for (std::string_view entry : entries(list)) {
    if (same(entry, folder)) return true;
  }
  return false;
}

std::optional<std::string> with(std::string_view list, std::string_view folder) {
  if (contains(list, folder)) return std::nullopt;
  std::string result(list);
  if (!result.empty() && result.back() != ';') result += ';';
  result += folder;
  return result;
}

std::string without(std::string_view list, std::string_view folder) {
  std::string result;
  bool first = true;
  for (std::string_view entry : entries(list)) {
    if (same(entry, folder)) continue;
    if (!first) result += ';';
    result += entry;
    first = false;
  }
  return result;
}

}  // namespace base::path_list
