#include "winshell/clipboard_win.h"

#include "base/handle_win.h"
#include "winshell/drop_target_win.h"
#include "winshell/failure_win.h"

namespace winshell {

detect::DropPayload read_clipboard(HWND owner) {
  detect::DropPayload payload;
  const base::ClipboardScope clipboard(owner);
  if (!clipboard.is_open()) {
    trace_last_error("OpenClipboard");
    return payload;
  }
  if (IsClipboardFormatAvailable(CF_HDROP)) {
    if (HANDLE drop = GetClipboardData(CF_HDROP)) {
      payload.paths = read_drop_paths(static_cast<HDROP>(drop));
    } else {
      trace_last_error("GetClipboardData(CF_HDROP)");
    }
  }
  if (payload.paths.empty() && IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) {
      payload.text = read_global_text(text);
    } else {
      trace_last_error("GetClipboardData(CF_UNICODETEXT)");
    }
  }
  return payload;
}

}  // namespace winshell
