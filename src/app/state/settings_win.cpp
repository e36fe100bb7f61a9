#include "app/state/settings_win.h"

namespace app {

void save_window_placement(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  static_assert(sizeof(WINDOWPLACEMENT) == 44);
  if (GetWindowPlacement(window, &placement)) write_setting_binary("Placement", &placement, sizeof(placement));
}

bool system_dark_mode() {
  DWORD light = 1;
  DWORD size = sizeof(light);
  const LSTATUS status =
      RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                   L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size);
  return status == ERROR_SUCCESS && light == 0;
}

}  // namespace app
