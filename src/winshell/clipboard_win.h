#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "detect/detect.h"

namespace winshell {

// The clipboard's file list (CF_HDROP), or when there is none its Unicode
// text; an empty payload when the clipboard cannot be opened.
detect::DropPayload read_clipboard(HWND owner);

// The paths of a shell file list (CF_HDROP), in the shell's order.
std::vector<std::string> paths_from_drop(HDROP drop);

}  // namespace winshell
