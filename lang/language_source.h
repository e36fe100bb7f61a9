#pragma once
// Where the language decision gets its inputs; one file per platform.

#include <cstdint>
#include <optional>
#include <string>

namespace lang {

// The stored "Language" setting, when present.
std::optional<std::string> stored_language_setting();
// The user's display language identifier (LANGID).
std::uint16_t user_ui_language();

}  // namespace lang
