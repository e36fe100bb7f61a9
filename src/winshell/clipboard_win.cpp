#include "winshell/clipboard_win.h"

#include <optional>
#include <string>
#include <utility>

#include "base/handle_win.h"
#include "winshell/drop_target_win.h"
#include "winshell/failure_win.h"

namespace winshell {
namespace {

// Clipboard managers and the program that has just copied hold the clipboard
// open for a moment; a paste then waits up to about 100 ms for it.
constexpr int kOpenAttempts = 8;
constexpr DWORD kPauseMs = 15;

}  // namespace

detect::DropPayload read_clipboard(HWND owner) {
  detect::DropPayload payload;
  std::optional<base::ClipboardScope> clipboard;
  for (int attempt = 1;; ++attempt) {
    clipboard.emplace(owner);
    if (clipboard->is_open()) break;
    if (attempt == kOpenAttempts) {
      trace_last_error("OpenClipboard");
      return payload;
    }
    clipboard.reset();
    Sleep(kPauseMs);
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
      std::optional<std::string> read = read_global_text(text);
      if (read) {
        payload.text = std::move(*read);
      } else {
        payload.text_too_large = true;
      }
    } else {
      trace_last_error("GetClipboardData(CF_UNICODETEXT)");
    }
  }
  return payload;
}

}  // namespace winshell
