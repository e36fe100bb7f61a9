#include <cstdlib>
#include <string_view>

#include "lang/language_source.h"

namespace lang {

// The host build has no registry; TOLVIK_LANGUAGE stands in for the stored value.
std::optional<std::string> stored_language_setting() {
  if (const char* v = std::getenv("TOLVIK_LANGUAGE")) return std::string(v);
  return std::nullopt;
}

std::uint16_t user_ui_language() { return 0x0409; }

}  // namespace lang
