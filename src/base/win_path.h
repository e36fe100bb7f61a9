#pragma once
// The rules of Windows path text, in one place: separators, roots, the parent
// folder, the last component and network paths (the item and duplicate keys of
// bundle/model.h build on them). Portable: item targets and the bundle files a user names are
// Windows paths on either build, so the host build reads them by these same
// rules (base/file.h keeps the file system's own paths).

#include <optional>
#include <string>
#include <string_view>

namespace base::win_path {

// What "\\server\share" begins with.
inline constexpr std::string_view kUncPrefix = "\\\\";

// Windows accepts "\" and "/" alike.
bool is_separator(char c);
bool is_drive_letter(char c);  // A-Z, a-z

bool ends_with_separator(std::string_view path);
// The path without its trailing separators ("\" and "/").
std::string_view without_trailing_separators(std::string_view path);
// The path without its trailing backslashes; a trailing "/" stays.
std::string_view without_trailing_backslashes(std::string_view path);

// "C:\", "C:", "\\server\share\", "\\?\C:\" or "\": the part no parent is
// taken from; empty for a relative path.
std::string_view root(std::string_view path);
// The folder that holds the path's last component: the root keeps its own
// separator ("C:\a" gives "C:\"), runs of separators go; empty when there is none.
std::string_view parent(std::string_view path);
// The text after the last separator outside the root ("" for "C:\a\").
std::string_view file_name(std::string_view path);
// The last component with trailing separators ignored ("dir" of "C:\dir\"),
// the whole path when it has no separator.
std::string_view last_component(std::string_view path);
// The folder, a "\" unless it ends with a separator already, and the name.
std::string join(std::string_view folder, std::string_view name);

// Whether two paths name the same file or folder by their text, as Windows
// reads it: "\" and "/" alike, trailing separators left out (a drive root
// keeps its own: "C:" is another folder than "C:\"), and letters in any case.
// Short (8.3) and relative forms need the file system to resolve them first.
bool same_path(std::string_view a, std::string_view b);

// A drive letter, a colon and a separator: "D:\Docs", "d:/docs".
bool starts_with_drive(std::string_view path);
// "E:\" or ":\": a drive root, a folder even when the drive is absent.
bool is_drive_root(std::string_view path);
// "\\server\share" (or "//server/share") and "\\?\UNC\server\share": a share
// of another computer by its name alone.
bool names_share(std::string_view path);
// The drive letter a path starts with, after a "\\?\" or "\\.\" prefix; whether
// that drive is a network one only the system can tell.
std::optional<char> drive_letter(std::string_view path);

}  // namespace base::win_path
