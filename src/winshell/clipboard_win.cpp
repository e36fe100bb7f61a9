#include "winshell/clipboard_win.h"

#include <shellapi.h>

#include "base/utf.h"

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

// GlobalLock / GlobalUnlock.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HANDLE memory) : memory_(memory), data_(GlobalLock(memory)) {}
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(memory_);
  }
  const void* data() const { return data_; }
  SIZE_T size() const { return GlobalSize(memory_); }

 private:
  HANDLE memory_;
  void* data_;
};

std::string text_from_handle(HANDLE memory) {
  GlobalLockScope lock(memory);
  if (!lock.data()) return {};
  // The text ends at its NUL, or at the end of the memory block.
  const auto* units = static_cast<const wchar_t*>(lock.data());
  const std::size_t capacity = lock.size() / sizeof(wchar_t);
  return base::narrow(std::wstring_view(units, wcsnlen(units, capacity)));
}

}  // namespace

std::vector<std::string> paths_from_drop(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    if (DragQueryFileW(drop, i, path.data(), length + 1) == 0) continue;
    path.resize(length);
    paths.push_back(base::narrow(path));
  }
  return paths;
}

detect::DropPayload read_clipboard(HWND owner) {
  detect::DropPayload payload;
  ClipboardScope clipboard(owner);
  if (!clipboard.is_open()) return payload;
  if (IsClipboardFormatAvailable(CF_HDROP)) {
    if (HANDLE drop = GetClipboardData(CF_HDROP)) payload.paths = paths_from_drop(static_cast<HDROP>(drop));
  }
  if (payload.paths.empty() && IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) payload.text = text_from_handle(text);
  }
  return payload;
}

}  // namespace winshell
