#pragma once
// Environment variables in stored paths: "%USERPROFILE%\Documents" is kept as
// written and expanded only when it is used, so a bundle moved to another PC
// finds that user's folders.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// Replaces every %NAME% whose variable `lookup` knows by its value, in one
// pass (a value is never expanded again). An unknown name, an empty "%%" and a
// lone '%' stay as written, as the Windows shell leaves them.
std::string expand_variables(std::string_view text,
                             const std::function<std::optional<std::string>(std::string_view)>& lookup);

// The same with this process's environment (names compared without case on
// Windows).
std::string expand_variables(std::string_view text);

// One variable of this process's environment; none when it is not set.
std::optional<std::string> environment_variable(std::string_view name);

}  // namespace base
