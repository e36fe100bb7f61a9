#pragma once
// The program's settings under HKCU\Software\tolvik, and the Windows theme.
// Every failure is silent: a failed read is a missing value.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

inline constexpr wchar_t kSettingsKey[] = L"Software\\tolvik";

std::optional<std::string> read_setting_text(std::string_view name);
void write_setting_text(std::string_view name, std::string_view text);
std::optional<std::uint32_t> read_setting_number(std::string_view name);
void write_setting_number(std::string_view name, std::uint32_t value);
std::optional<std::vector<std::uint8_t>> read_setting_binary(std::string_view name);
void write_setting_binary(std::string_view name, const void* data, std::uint32_t size);

// Saves the window's WINDOWPLACEMENT as "Placement" when it can be read.
void save_window_placement(HWND window);

// Removes the whole settings key.
void delete_settings();

// Apps use the dark theme exactly when AppsUseLightTheme reads as 0.
bool system_dark_mode();

}  // namespace app
