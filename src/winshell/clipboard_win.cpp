#include "winshell/clipboard_win.h"

#include "winshell/drop_target_win.h"

namespace winshell {
namespace {

// OpenClipboard / CloseClipboard.
class ClipboardScope {
 public:
  explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
  ~ClipboardScope() {
    if (open_) CloseClipboard();
  }
  bool is_open() const { return open_; }

 private:
  bool open_;
};

}  // namespace

detect::DropPayload read_clipboard(HWND owner) {
  detect::DropPayload payload;
  ClipboardScope clipboard(owner);
  if (!clipboard.is_open()) return payload;
  if (IsClipboardFormatAvailable(CF_HDROP)) {
    if (HANDLE drop = GetClipboardData(CF_HDROP)) payload.paths = read_drop_paths(static_cast<HDROP>(drop));
  }
  if (payload.paths.empty() && IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) payload.text = read_global_text(text);
  }
  return payload;
}

}  // namespace winshell
