#pragma once
// Turning a bundle name into a file name Windows accepts (desktop shortcuts,
// the export dialog's initial name). Portable: no Win32 inside.

#include <string>
#include <string_view>

namespace base {

// Characters Windows forbids in a name (\ / : * ? " < > |, C0 and C1 controls,
// DEL) become "_"; white space at both ends and trailing dots and blanks go; a
// device name such as CON or LPT1 gets a "_" after it; at most 80 characters
// (Unicode scalar values). Nothing left: "tolvik".
std::string safe_file_name(std::string_view text);

}  // namespace base
