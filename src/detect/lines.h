#pragma once
// Line splitting shared by pasted text and Internet-shortcut files.

#include <string_view>
#include <vector>

namespace detect {

// Splits at each line feed; a carriage return right before it belongs to the
// separator. A last line without a line feed counts; the empty piece after a
// final line feed does not.
std::vector<std::string_view> split_lines(std::string_view text);

}  // namespace detect
