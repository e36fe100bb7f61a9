#pragma once
// Where Windows keeps its text size: the value Settings writes and announces
// with WM_SETTINGCHANGE.
// Defined in text_scale_win.cpp.

#include <cstdint>
#include <optional>

namespace app {

// HKCU\Software\Microsoft\Accessibility TextScaleFactor (a DWORD, percent);
// none when it is missing or not a DWORD.
std::optional<std::uint32_t> read_text_scale_setting();

}  // namespace app
