#pragma once
// The Windows command-line rules of CommandLineToArgvW, written portably so the
// start-up logic can be tested on any host.

#include <string>
#include <string_view>
#include <vector>

namespace base {

// Splits a whole command line (program path first) into UTF-8 arguments.
std::vector<std::string> split_command_line(std::u16string_view command_line);

// One argument written so that split_command_line (and every program that
// splits by the same rules) reads it back unchanged: quoted when it is empty
// or holds white space or a quotation mark, with the backslashes before a
// quotation mark doubled.
std::string quote_argument(std::string_view argument);

// A whole command line from arguments (program path first), each quoted as above.
std::string join_command_line(const std::vector<std::string>& arguments);

}  // namespace base
