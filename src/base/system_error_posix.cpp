#include <cerrno>
#include <system_error>

#include "base/system_error.h"

namespace base {

std::string last_error_text() { return system_error_text(static_cast<std::uint32_t>(errno)); }

std::string system_error_text(std::uint32_t code) {
  // generic_category() words errno values like strerror, and is thread-safe.
  return std::generic_category().message(static_cast<int>(code));
}

}  // namespace base
