#pragma once
// The program's stored settings: values under HKCU\Software\tolvik. This low
// so that the language decision (lang) and the application (app) read the
// same key. A failed read is a missing value; a failed write says why.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace base {

inline constexpr wchar_t kSettingsKey[] = L"Software\\tolvik";

// A value of another type than the one asked for reads as missing.
std::optional<std::string> read_setting_text(std::string_view name);
Status write_setting_text(std::string_view name, std::string_view text);
std::optional<std::uint32_t> read_setting_number(std::string_view name);
Status write_setting_number(std::string_view name, std::uint32_t value);
std::optional<std::vector<std::uint8_t>> read_setting_binary(std::string_view name);
void write_setting_binary(std::string_view name, const void* data, std::uint32_t size);

// Removes the whole settings key.
void delete_settings();

}  // namespace base
