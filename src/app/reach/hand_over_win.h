#pragma once
// A second start's hand-over (app/reach/hand_over.h), sent to the running tolvik's
// window.
// Defined in hand_over_win.cpp.

#include <windows.h>

#include <cstdint>
#include <string>

namespace app {

// Sends the path (full: the running tolvik's working folder is another) and
// waits up to `timeout_ms`. True once the window has the path: it answers as
// soon as it has read it, before the import. A wait that runs out means the
// window never took the message, and Windows withdraws a sent message that
// was not taken in time.
bool send_bundle_file(HWND running, const std::wstring& path, UINT timeout_ms);

// Sends a hand-over without data (kShowMarker, kQuitMarker) and waits up to
// `timeout_ms`; true once the window took it.
bool send_marker(HWND running, std::uint64_t marker, UINT timeout_ms);

}  // namespace app
