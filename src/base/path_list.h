#pragma once
// The user's PATH value as text: folders separated by ";". The installer adds
// the program's folder to it and the uninstaller takes exactly that folder
// out again, leaving every other entry, and the order, as they were.

#include <optional>
#include <string>
#include <string_view>

namespace base::path_list {

// True when `list` names `folder`: compared without case (full Unicode
// lower-casing) and without trailing separators, as Windows finds it.
bool contains(std::string_view list, std::string_view folder);

// `list` with `folder` appended, or nothing when it is there already.
std::optional<std::string> with(std::string_view list, std::string_view folder);

// `list` without the entries that name `folder`; the others keep their text
// and order.
std::string without(std::string_view list, std::string_view folder);

}  // namespace base::path_list
