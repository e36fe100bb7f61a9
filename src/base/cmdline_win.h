#pragma once
// This process's own command line, split by the rules of cmdline.h.

#include <string>
#include <vector>

namespace base {

// The arguments from GetCommandLineW, program path first, as UTF-8. Read
// whole rather than from the C runtime's argv, so that every program of
// tolvik splits its line by the same rules.
std::vector<std::string> command_line_arguments();

}  // namespace base
