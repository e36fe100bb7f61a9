#include "app/reach/notification_area.h"

#include <optional>
#include <utility>

#include "app/opening/open.h"
#include "app/reach/notification_host.h"
#include "app/reach/offered_bundles.h"
#include "app/reach/sign_in.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/view/menu_label.h"
#include "lang/lang.h"

namespace app {

bool keep_in_notification_area(std::optional<std::uint32_t> stored) { return stored && *stored != 0; }

std::vector<MenuEntry> notification_menu(const bundle::Store& store) {
  std::vector<MenuEntry> entries;
  int id = static_cast<int>(NotificationCommand::first_bundle);
  for (const OfferedBundle& b : offered_bundles(store)) entries.push_back(MenuEntry::command(id++, menu_label(b.name)));
  if (!entries.empty()) entries.push_back(MenuEntry::line());
  entries.push_back(MenuEntry::command(NotificationCommand::show, std::string(lang::text("tolvik 보이기", "Show tolvik"))));
  entries.push_back(MenuEntry::command(NotificationCommand::quit, std::string(lang::text("끝내기", "Quit"))));
  return entries;
}

void show_notification_menu(AppState& state, int x, int y) {
  // The menu runs a modal loop that may change the bundles: the chosen one
  // is looked up again afterwards by its id.
  const std::vector<OfferedBundle> offered = offered_bundles(state.store);
  const int chosen = state.platform.notification_host().show_notification_menu(x, y, notification_menu(state.store));
  switch (static_cast<NotificationCommand>(chosen)) {
    case NotificationCommand::show:
      state.platform.notification_host().show_window();
      return;
    case NotificationCommand::quit:
      state.platform.notification_host().quit();
      return;
    default:
      break;
  }
  const int first = static_cast<int>(NotificationCommand::first_bundle);
  if (chosen < first || static_cast<std::size_t>(chosen - first) >= offered.size()) return;
  if (const std::optional<std::size_t> position =
          find_bundle(state, offered[static_cast<std::size_t>(chosen - first)].id)) {
    open_bundle(state, *position);
  }
}

void toggle_keep_in_notification_area(AppState& state) {
  const bool on = !state.keep_in_notification_area;
  if (base::Status saved = state.platform.write_setting_number(kKeepInNotificationAreaValue, on ? 1 : 0); !saved) {
    show_toast(state, std::string(lang::text("설정을 저장하지 못했습니다:", "Couldn't save the setting:")) + " " +
                          saved.error().text);
    return;
  }
  state.keep_in_notification_area = on;
  state.platform.notification_host().show_notification_icon(on);
  // The setting also starts tolvik at sign-in, hidden behind its icon.
  bring_run_value_up_to_date(state);
  if (state.run_value_failure) show_toast(state, *state.run_value_failure);
}

}  // namespace app
