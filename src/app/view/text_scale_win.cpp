#include "app/view/text_scale_win.h"

#include <windows.h>

namespace app {

std::optional<std::uint32_t> read_text_scale_setting() {
  DWORD value = 0;
  DWORD size = sizeof(value);
  // RRF_RT_REG_DWORD refuses a value of another type instead of reading its bytes.
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor", RRF_RT_REG_DWORD,
                   nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace app
