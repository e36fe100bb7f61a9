#pragma once
// Item icons from the shell.

#include <windows.h>

#include <string_view>

#include "base/handle_win.h"

namespace winshell {

// The shell's large icon for `path`, or none. With `by_type_only` the target
// is never touched (a network location may be slow or gone): the icon is the
// one of a folder when `as_folder`, else of a file with that name's type.
base::UniqueIcon shell_icon(std::string_view path, bool as_folder, bool by_type_only);

// The large icon of a shell item named by its parsing name
// ("shell:AppsFolder\<AppUserModelID>": a packaged app's own icon), or none.
// COM must be initialized on the calling thread.
base::UniqueIcon shell_item_icon(std::string_view parsing_name);

// A path on a network location: a UNC path ("\\server\share") or a drive
// letter that maps to a remote drive.
bool is_network_path(std::string_view path);

}  // namespace winshell
