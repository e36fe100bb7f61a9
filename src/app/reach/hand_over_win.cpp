#include "app/reach/hand_over_win.h"

#include "app/reach/hand_over.h"

namespace app {
namespace {

bool send(HWND running, COPYDATASTRUCT& data, UINT timeout_ms) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeout_ms,
                             &answer) != 0;
}

}  // namespace

bool send_bundle_file(HWND running, const std::wstring& path, UINT timeout_ms) {
  std::wstring text = path;
  COPYDATASTRUCT data{};
  data.dwData = kHandOverMarker;
  data.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  data.lpData = text.data();
  return send(running, data, timeout_ms);
}

bool send_marker(HWND running, std::uint64_t marker, UINT timeout_ms) {
  COPYDATASTRUCT data{};
  data.dwData = static_cast<ULONG_PTR>(marker);
  return send(running, data, timeout_ms);
}

}  // namespace app
