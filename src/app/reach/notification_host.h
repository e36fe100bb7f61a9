#pragma once
// What the notification area needs from the window: the icon, its menu and
// showing or ending the program (WinPlatform in app/window/win_platform_win.h;
// FakePlatform in the tests).

#include <vector>

#include "app/state/platform.h"

namespace app {

class NotificationHost {
 public:
  virtual ~NotificationHost() = default;

  // The icon's menu at a screen point, with tolvik put in front first so
  // that a click elsewhere dismisses it; a modal loop like show_menu's,
  // answered the same way.
  virtual int show_notification_menu(int x, int y, const std::vector<MenuEntry>& entries) = 0;
  // Adds or removes the icon.
  virtual void show_notification_icon(bool shown) = 0;
  // Shows the window, restored, and brings it to the front.
  virtual void show_window() = 0;
  // Ends tolvik as closing its window does with the setting off: the edit
  // and the placement are kept, an opening finishes first.
  virtual void quit() = 0;
};

}  // namespace app
