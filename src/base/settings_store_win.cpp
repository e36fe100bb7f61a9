#include "base/settings_store_win.h"

#include <windows.h>

#include <cwchar>

#include "base/system_error.h"
#include "base/utf.h"

namespace base {
namespace {

Status written(LSTATUS status) {
  if (status == ERROR_SUCCESS) return {};
  return fail(system_error_text(static_cast<std::uint32_t>(status)));
}

}  // namespace

std::optional<std::string> read_setting_text(std::string_view name) {
  const std::wstring value_name = widen(name);
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
  return narrow(buffer);
}

Status write_setting_text(std::string_view name, std::string_view text) {
  const std::wstring wide = widen(text);
  return written(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, widen(name).c_str(), REG_SZ, wide.c_str(),
                                 static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))));
}

std::optional<std::uint32_t> read_setting_number(std::string_view name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, widen(name).c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

Status write_setting_number(std::string_view name, std::uint32_t value) {
  DWORD data = value;
  return written(
      RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, widen(name).c_str(), REG_DWORD, &data, sizeof(data)));
}

std::optional<std::vector<std::uint8_t>> read_setting_binary(std::string_view name) {
  const std::wstring value_name = widen(name);
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
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, widen(name).c_str(), REG_BINARY, data, size);
}

void delete_settings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

}  // namespace base
