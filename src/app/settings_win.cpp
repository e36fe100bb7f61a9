#include "app/settings_win.h"

#include "base/utf.h"

namespace app {

std::optional<std::string> read_setting_text(std::string_view name) {
  const std::wstring value_name = base::widen(name);
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, value_name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, value_name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(),
                   &read) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // The text ends at the first NUL.
  buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
  return base::narrow(buffer);
}

void write_setting_text(std::string_view name, std::string_view text) {
  const std::wstring wide = base::widen(text);
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, base::widen(name).c_str(), REG_SZ, wide.c_str(),
                  static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::uint32_t> read_setting_number(std::string_view name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, base::widen(name).c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

void write_setting_number(std::string_view name, std::uint32_t value) {
  DWORD data = value;
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, base::widen(name).c_str(), REG_DWORD, &data, sizeof(data));
}

std::optional<std::vector<std::uint8_t>> read_setting_binary(std::string_view name) {
  const std::wstring value_name = base::widen(name);
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, value_name.c_str(), RRF_RT_REG_BINARY, nullptr, nullptr,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> data(size);
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, value_name.c_str(), RRF_RT_REG_BINARY, nullptr, data.data(),
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return data;
}

void write_setting_binary(std::string_view name, const void* data, std::uint32_t size) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, base::widen(name).c_str(), REG_BINARY, data, size);
}

void save_window_placement(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  static_assert(sizeof(WINDOWPLACEMENT) == 44);
  if (GetWindowPlacement(window, &placement)) write_setting_binary("Placement", &placement, sizeof(placement));
}

void delete_settings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

bool system_dark_mode() {
  DWORD light = 1;
  DWORD size = sizeof(light);
  const LSTATUS status =
      RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                   L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size);
  return status == ERROR_SUCCESS && light == 0;
}

}  // namespace app
