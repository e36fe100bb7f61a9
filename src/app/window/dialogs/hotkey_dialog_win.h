#pragma once
// A bundle's "Hotkey…" dialog: the system's hotkey control, a Clear button
// and the wait after sign-in, made from a template in memory like the item
// "Options…" dialog.
// Defined in hotkey_dialog_win.cpp.

#include <windows.h>

#include <optional>

#include "app/reach/hotkeys.h"

namespace app {

// Runs the dialog over `owner` in the window's theme; what was chosen with
// OK, none when cancelled. A key another bundle has is refused inside the
// dialog, which stays open. Runs a modal loop.
std::optional<HotkeyChoice> show_hotkey_dialog(HWND owner, const HotkeyDialogInput& input, bool dark);

}  // namespace app
