#pragma once
// tolvik in the notification area: the setting that keeps it running there
// when its window is closed, and the icon's menu. The icon itself is the
// platform's (winshell/notify_icon_win.h); what its menu holds and what a
// choice does is decided here.
// Defined in notification_area.cpp.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "app/state/platform.h"
#include "bundle/model.h"

namespace app {

struct AppState;

// The registry value (REG_DWORD, 1 when on) of the setting.
inline constexpr std::string_view kKeepInNotificationAreaValue = "KeepInNotificationArea";

// What the icon menu's entries do: bundles take one id each from
// `first_bundle` on, in menu order.
enum class NotificationCommand : int { show = 1, quit, first_bundle = 100 };

// The stored value read as the setting: on only for a non-zero number.
bool keep_in_notification_area(std::optional<std::uint32_t> stored);

// The icon's menu: the bundles the jump list offers too (offered_bundles.h),
// a separator, "Show tolvik" and "Quit".
std::vector<MenuEntry> notification_menu(const bundle::Store& store);

// Shows the icon's menu at a screen point and does what is chosen: a bundle
// opens as with its Open button; "Show tolvik" shows the window in front;
// "Quit" ends tolvik as closing the window does with the setting off.
void show_notification_menu(AppState& state, int x, int y);

// The settings menu's check mark: turns the setting over, stores it, and
// adds or removes the icon. A value that cannot be stored changes nothing.
void toggle_keep_in_notification_area(AppState& state);

}  // namespace app
