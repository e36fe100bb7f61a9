#include "app/hand_over_win.h"

#include "app/messages_win.h"

namespace app {

bool send_bundle_file(HWND running, const std::wstring& path, UINT timeout_ms) {
  std::wstring text = path;
  COPYDATASTRUCT data{};
  data.dwData = kHandOverMarker;
  data.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  data.lpData = text.data();
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeout_ms,
                             &answer) != 0;
}

}  // namespace app
