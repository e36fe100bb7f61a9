#pragma once
// The program's settings (stored by base/settings_store_win.h under
// HKCU\Software\tolvik, where the language decision reads them too), the
// window's placement among them, and the Windows theme.
// Every failure is silent: a failed read is a missing value.
// Defined in settings_win.cpp.

#include <windows.h>

#include "base/settings_store_win.h"

namespace app {

using base::delete_settings;
using base::kSettingsKey;
using base::read_setting_binary;
using base::read_setting_number;
using base::read_setting_text;
using base::write_setting_binary;
using base::write_setting_number;
using base::write_setting_text;

// Saves the window's WINDOWPLACEMENT as "Placement" when it can be read.
void save_window_placement(HWND window);

// Apps use the dark theme exactly when AppsUseLightTheme reads as 0.
bool system_dark_mode();

}  // namespace app
