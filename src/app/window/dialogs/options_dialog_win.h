#pragma once
// The item "Options…" dialog: a modal dialog made from a template in memory,
// so that its texts come from the language tables, its controls answer to
// the keyboard and screen readers, and Windows scales it with the DPI.
// Defined in options_dialog_win.cpp.

#include <windows.h>

#include <optional>

#include "bundle/model.h"

namespace app {

// Runs the dialog for `item` over `owner` in the window's theme; the options
// chosen with OK, none when cancelled. Runs a modal loop.
std::optional<bundle::ItemOptions> show_options_dialog(HWND owner, const bundle::Item& item, bool dark);

}  // namespace app
