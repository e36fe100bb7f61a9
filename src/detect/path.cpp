#include "detect/path.h"

#include "base/unicode.h"

namespace detect {
namespace {
bool is_path_separator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::optional<std::string> path_extension(std::string_view path) {
  while (!path.empty() && is_path_separator(path.back())) path.remove_suffix(1);
  std::size_t start = path.find_last_of("\\/");
  std::string_view component = start == std::string_view::npos ? path : path.substr(start + 1);
  if (component.empty() || component == "..") return std::nullopt;
  std::size_t dot = component.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  return base::ascii_lower(component.substr(dot + 1));
}

}  // namespace detect
