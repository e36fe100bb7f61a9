#pragma once
// The names by which Windows, a second start and the installer find a running
// tolvik: its window class and title and its single-instance mutex.

namespace app {

inline constexpr wchar_t kWindowClass[] = L"tolvik.Main";
inline constexpr wchar_t kWindowTitle[] = L"tolvik";
inline constexpr wchar_t kSingleInstanceMutex[] = L"Local\\tolvik.SingleInstance";

}  // namespace app
