#pragma once
// Defined in names.cpp.

#include <string>
#include <string_view>

#include "bundle/model.h"

namespace app {

// The proposed name, trimmed, or "name 2", "name 3", ... when a bundle already
// has it (trimmed, compared ASCII case-insensitively).
std::string unique_name(const bundle::Store& store, std::string_view proposed);

}  // namespace app
