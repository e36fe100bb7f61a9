#include "base/environment.h"

namespace base {

std::string expand_variables(std::string_view text,
                             const std::function<std::optional<std::string>(std::string_view)>& lookup) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text.substr(at, open - at));
    const std::string_view name = text.substr(open + 1, close - open - 1);
    std::optional<std::string> value = name.empty() ? std::nullopt : lookup(name);
    if (value) {
      out += *value;
      at = close + 1;
    } else {
      // The closing '%' may open the next name: "%NOPE%HOME%" expands HOME.
      out.append(text.substr(open, close - open));
      at = close;
    }
  }
  out.append(text.substr(at));
  return out;
}

std::string expand_variables(std::string_view text) {
  if (text.find('%') == std::string_view::npos) return std::string(text);
  return expand_variables(text, [](std::string_view name) { return environment_variable(name); });
}

}  // namespace base
