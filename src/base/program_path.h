#pragma once
// The running program's own file (program_path_win.cpp, program_path_posix.cpp).

#include <optional>
#include <string>

namespace base {

// The full path of the running executable; none when the system cannot tell.
std::optional<std::string> program_path();

}  // namespace base
