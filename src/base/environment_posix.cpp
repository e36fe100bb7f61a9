#include <cstdlib>
#include <string>

#include "base/environment.h"

namespace base {

std::optional<std::string> environment_variable(std::string_view name) {
  const std::string key(name);
  if (key.find('=') != std::string::npos) return std::nullopt;
  const char* value = std::getenv(key.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

}  // namespace base
