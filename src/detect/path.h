#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace detect {

// The extension of the path's last component (trailing separators ignored),
// ASCII-lower-cased; none for "..", for a component without a dot, or for one
// whose only dot is its first character (".profile").
std::optional<std::string> path_extension(std::string_view path);

}  // namespace detect
