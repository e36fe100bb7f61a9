#pragma once
// The program's icon in the notification area (Shell_NotifyIconW, version 4):
// its events come to the owner window as one message, with the event in
// lparam's low word and the icon's anchor point on the screen in wparam.
// The icon is removed when its owner object goes.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

namespace winshell {

class NotifyIcon {
 public:
  NotifyIcon() = default;
  NotifyIcon(const NotifyIcon&) = delete;
  NotifyIcon& operator=(const NotifyIcon&) = delete;
  ~NotifyIcon() { remove(); }

  // Adds the icon of `window` with its tip; false when the shell refused it
  // (it is still wanted: restore() tries again).
  bool add(HWND window, UINT callback_message, HICON icon, std::wstring_view tip);
  // Adds the wanted icon again: Explorer restarted ("TaskbarCreated") and
  // forgot it. Nothing when no icon is wanted.
  bool restore();
  // Removes the icon; it is no longer wanted.
  void remove();

  // Whether the shell shows the icon now.
  bool shown() const { return shown_; }

  // The icon's notification balloon with an information mark; false when
  // the icon is not shown or the shell refused it. Texts longer than the
  // shell keeps are cut.
  bool show_balloon(std::wstring_view title, std::wstring_view text);

 private:
  NOTIFYICONDATAW data(UINT flags) const;

  HWND window_ = nullptr;  // set while the icon is wanted
  UINT callback_message_ = 0;
  HICON icon_ = nullptr;   // shared: loaded with LR_SHARED, never destroyed here
  std::wstring tip_;
  bool shown_ = false;
};

}  // namespace winshell
