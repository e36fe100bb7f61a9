#pragma once
// The main window's private messages and the hand-over marker.

#include <windows.h>

namespace app {

inline constexpr UINT kMsgOpenFinished = WM_APP + 1;
inline constexpr UINT kMsgUpdateChecked = WM_APP + 2;
inline constexpr UINT kMsgDownloadFinished = WM_APP + 3;
inline constexpr UINT kMsgTargetsChecked = WM_APP + 4;
inline constexpr UINT kMsgEditorFinished = WM_APP + 5;
inline constexpr UINT kMsgSearchKey = WM_APP + 6;

// dwData of the WM_COPYDATA a second start sends with a bundle file path.
inline constexpr ULONG_PTR kHandOverMarker = 0x7A;

inline constexpr wchar_t kWindowClass[] = L"tolvik.Main";
inline constexpr wchar_t kWindowTitle[] = L"tolvik";
inline constexpr wchar_t kSingleInstanceMutex[] = L"Local\\tolvik.SingleInstance";
inline constexpr wchar_t kAppUserModelId[] = L"Velmora.tolvik";

}  // namespace app
