#pragma once
// "Choose an installed app": the list of the system's Applications folder,
// with each app's icon and name, to pick one from.
// Defined in installed_apps_dialog_win.cpp.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "app/bundles/installed_apps.h"

namespace app {

// The dialog's colours: the window's light or dark palette, or the system's
// own (a high-contrast theme is on), which Windows draws by itself.
enum class InstalledAppsLook { light, dark, system };

// A modal dialog owned by `owner`, in the window's theme: the position of the
// app picked (Enter, double-click or Add), none when cancelled. An empty list
// says there is nothing to choose.
std::optional<std::size_t> run_installed_apps_dialog(HWND owner, const std::vector<InstalledApp>& apps,
                                                     InstalledAppsLook look);

}  // namespace app
