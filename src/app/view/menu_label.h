#pragma once
// The user's own text (a bundle's name, a folder's path) as an entry of a
// native menu shows it.

#include <string>
#include <string_view>

namespace app {

// `text` with each "&" doubled, so that it shows as itself rather than as
// the mark of the next letter's access key ("R&D" would read "RD"), and each
// tab turned into a space, which would otherwise start a column.
std::string menu_label(std::string_view text);

}  // namespace app
