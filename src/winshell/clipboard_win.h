#pragma once

#include <windows.h>

#include "detect/detect.h"

namespace winshell {

// The clipboard's file list (CF_HDROP), or when there is none its Unicode
// text; an empty payload when the clipboard stays held by another program for
// about 100 ms.
detect::DropPayload read_clipboard(HWND owner);

}  // namespace winshell
