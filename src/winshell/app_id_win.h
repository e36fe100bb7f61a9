#pragma once
// The program's AppUserModelID: the taskbar groups its windows, its jump list
// and its Start-menu shortcut under it.

namespace winshell {

inline constexpr wchar_t kAppUserModelId[] = L"Velmora.tolvik";

}  // namespace winshell
