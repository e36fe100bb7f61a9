#pragma once
// "Choose an installed app": the list of the system's Applications folder,
// with each app's icon and name, to pick one from.
// Defined in installed_apps_dialog_win.cpp.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "app/bundles/installed_apps.h"
#include "app/window/dialogs/modal_dialog_win.h"

namespace app {

// A modal dialog owned by `owner`, in the window's light or dark palette or
// (a high-contrast theme is on) the system's own colours: the position of the
// app picked (Enter, double-click or Add), none when cancelled. An empty list
// says there is nothing to choose.
std::optional<std::size_t> run_installed_apps_dialog(HWND owner, const std::vector<InstalledApp>& apps,
                                                     dialog::Look look);

}  // namespace app
