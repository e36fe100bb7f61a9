#pragma once
// Windows Internet-shortcut files (.url): an INI-style text whose
// [InternetShortcut] section names the address in its URL= line.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace detect {

// A real shortcut holds a few lines; a larger .url file is not read and counts
// as a plain file.
inline constexpr std::size_t kInternetShortcutMaxBytes = 64 * 1024;

// The address of the first non-empty URL= line inside an [InternetShortcut]
// section (both compared ASCII case-insensitively), or none. `bytes` are the
// whole file; invalid UTF-8 becomes U+FFFD.
std::optional<std::string> internet_shortcut_address(std::string_view bytes);

// The file's name without its final extension ("C:\Links\Site.url" gives Site).
std::string path_stem(std::string_view path);

}  // namespace detect
