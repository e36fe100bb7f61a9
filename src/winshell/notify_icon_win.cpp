#include "winshell/notify_icon_win.h"

#include <algorithm>
#include <cwchar>

#include "winshell/failure_win.h"

namespace winshell {
namespace {

// The one icon a window has; the shell tells icons apart by window and id.
constexpr UINT kIconId = 1;

template <std::size_t N>
void copy_cut(wchar_t (&field)[N], std::wstring_view text) {
  std::size_t length = std::min(text.size(), N - 1);
  // A surrogate pair is not split: half of one shows as a box.
  if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
  std::wmemcpy(field, text.data(), length);
  field[length] = L'\0';
}

}  // namespace

NOTIFYICONDATAW NotifyIcon::data(UINT flags) const {
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof(d);
  d.hWnd = window_;
  d.uID = kIconId;
  d.uFlags = flags;
  return d;
}

bool NotifyIcon::add(HWND window, UINT callback_message, HICON icon, std::wstring_view tip) {
  remove();
  window_ = window;
  callback_message_ = callback_message;
  icon_ = icon;
  tip_ = std::wstring(tip);
  return restore();
}

bool NotifyIcon::restore() {
  if (!window_) return false;
  // The tip shows only with NIF_SHOWTIP under version 4.
  NOTIFYICONDATAW d = data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
  d.uCallbackMessage = callback_message_;
  d.hIcon = icon_;
  copy_cut(d.szTip, tip_);
  if (!Shell_NotifyIconW(NIM_ADD, &d)) {
    // The icon may still be there from before (Explorer came back quicker
    // than it forgot it): then it only needs its data again.
    if (!Shell_NotifyIconW(NIM_MODIFY, &d)) {
      trace_last_error("Shell_NotifyIconW(NIM_ADD)");
      shown_ = false;
      return false;
    }
  }
  d.uVersion = NOTIFYICON_VERSION_4;
  if (!Shell_NotifyIconW(NIM_SETVERSION, &d)) trace_last_error("Shell_NotifyIconW(NIM_SETVERSION)");
  shown_ = true;
  return true;
}

void NotifyIcon::remove() {
  if (!window_) return;
  if (shown_) {
    NOTIFYICONDATAW d = data(0);
    if (!Shell_NotifyIconW(NIM_DELETE, &d)) trace_last_error("Shell_NotifyIconW(NIM_DELETE)");
  }
  window_ = nullptr;
  shown_ = false;
}

bool NotifyIcon::show_balloon(std::wstring_view title, std::wstring_view text) {
  if (!shown_) return false;
  NOTIFYICONDATAW d = data(NIF_INFO);
  copy_cut(d.szInfoTitle, title);
  copy_cut(d.szInfo, text);
  d.dwInfoFlags = NIIF_INFO;
  if (!Shell_NotifyIconW(NIM_MODIFY, &d)) {
    trace_last_error("Shell_NotifyIconW(NIM_MODIFY)");
    return false;
  }
  return true;
}

}  // namespace winshell
