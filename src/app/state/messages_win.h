#pragma once
// The main window's private messages.

#include <windows.h>

#include <optional>

#include "app/state/inline_field_state.h"

namespace app {

inline constexpr UINT kMsgOpenFinished = WM_APP + 1;
inline constexpr UINT kMsgUpdateChecked = WM_APP + 2;
inline constexpr UINT kMsgDownloadFinished = WM_APP + 3;
inline constexpr UINT kMsgTargetsChecked = WM_APP + 4;
// wparam: kEditCommitted, kEditCancelled or kEditFocusLeft; lparam: the field.
inline constexpr UINT kMsgEditorFinished = WM_APP + 5;
// wparam: a SearchKey.
inline constexpr UINT kMsgSearchKey = WM_APP + 6;
// wparam: the update installer's bytes received so far.
inline constexpr UINT kMsgDownloadProgress = WM_APP + 7;
// The icon worker's icons are in the window's mailbox.
inline constexpr UINT kMsgIconsFetched = WM_APP + 8;
// Drops were copied into the state slot's queue; the message takes them all.
inline constexpr UINT kMsgDropped = WM_APP + 9;
// The opening worker is through another item: wparam items done, lparam of
// how many.
inline constexpr UINT kMsgOpenProgress = WM_APP + 10;
// The timer that posts kMsgDropped once the drag's own calls are answered;
// apart from the app::TimerId values.
inline constexpr UINT_PTR kDropTimerId = 0x100;

inline constexpr WPARAM kEditCancelled = 0;
inline constexpr WPARAM kEditCommitted = 1;
// The field lost the keyboard focus.
inline constexpr WPARAM kEditFocusLeft = 2;

// A search-box key as kMsgSearchKey carries it, and back.
inline WPARAM search_key(SearchKey key) { return static_cast<WPARAM>(key); }
inline std::optional<SearchKey> search_key_of(WPARAM wparam) {
  if (wparam > static_cast<WPARAM>(SearchKey::back_tab)) return std::nullopt;
  return static_cast<SearchKey>(wparam);
}

// The window shows itself, restored and in front (the icon's click, "Show
// tolvik", a second start's hand-over).
inline constexpr UINT kMsgShowWindow = WM_APP + 11;
// tolvik ends as closing the window does with the setting off ("Quit", and
// "tolvik.exe --quit").
inline constexpr UINT kMsgQuit = WM_APP + 12;
// The notification-area icon's events (NOTIFYICON_VERSION_4: lparam's low
// word the event, wparam the anchor point on the screen).
inline constexpr UINT kMsgNotifyIcon = WM_APP + 13;
// A screen reader asked an element of the view to act (invoke, select,
// focus); the requests wait in the window's UI Automation provider.
inline constexpr UINT kMsgAccessRequest = WM_APP + 20;

}  // namespace app
