#pragma once
// The Windows command-line rules of CommandLineToArgvW, written portably so the
// start-up logic can be tested on any host.

#include <string>
#include <string_view>
#include <vector>

namespace base {

// Splits a whole command line (program path first) into UTF-8 arguments.
std::vector<std::string> split_command_line(std::u16string_view command_line);

}  // namespace base
