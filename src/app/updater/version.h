#pragma once
// Version texts such as "0.1.0" compared part by part.
// Defined in version.cpp.

#include <cstdint>
#include <string_view>
#include <vector>

namespace app {

// The parts of a version: white space around it and one leading "v" removed,
// split at "."; a part that is empty, not a decimal number or larger than 32
// bits counts as 0.
std::vector<std::uint32_t> version_parts(std::string_view version);

// Negative when `a` is older than `b`, 0 when equal, positive when newer; the
// shorter list is padded with zeros ("1.0" equals "1").
int compare_versions(std::string_view a, std::string_view b);

}  // namespace app
