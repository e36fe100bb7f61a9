#include "detect/path.h"

#include "base/unicode.h"
#include "base/win_path.h"

namespace detect {
std::optional<std::string> path_extension(std::string_view path) {
  const std::string_view component = base::win_path::last_component(path);
  if (component.empty() || component == "..") return std::nullopt;
  std::size_t dot = component.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  return base::ascii_lower(component.substr(dot + 1));
}

}  // namespace detect
