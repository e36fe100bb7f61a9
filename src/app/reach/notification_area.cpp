#include "app/reach/notification_area.h"

#include <optional>
#include <utility>

#include "app/edit/edit_support.h"
#include "app/opening/open.h"
#include "app/state/app_state.h"
#include "app/reach/sign_in.h"
#include "lang/lang.h"

namespace app {

bool keep_in_notification_area(std::optional<std::uint32_t> stored) { return stored && *stored != 0; }

std::string menu_label(std::string_view name) {
  std::string label;
  label.reserve(name.size());
  for (const char c : name) {
    if (c == '&') {
      label += "&&";
    } else if (c == '\t') {
      label += ' ';
    } else {
      label += c;
    }
  }
  return label;
}

std::vector<const bundle::Bundle*> notification_menu_bundles(const bundle::Store& store) {
  std::vector<const bundle::Bundle*> listed;
  for (const bundle::Bundle& b : store.bundles) {
    if (listed.size() == kNotificationMenuBundles) break;
    if (!b.name.empty()) listed.push_back(&b);
  }
  return listed;
}

std::vector<MenuEntry> notification_menu(const bundle::Store& store) {
  std::vector<MenuEntry> entries;
  int id = static_cast<int>(NotificationCommand::first_bundle);
  for (const bundle::Bundle* b : notification_menu_bundles(store)) {
    entries.push_back(MenuEntry::command(id++, menu_label(b->name)));
  }
  if (!entries.empty()) entries.push_back(MenuEntry::line());
  entries.push_back(MenuEntry::command(NotificationCommand::show, std::string(lang::text("tolvik 보이기", "Show tolvik"))));
  entries.push_back(MenuEntry::command(NotificationCommand::quit, std::string(lang::text("끝내기", "Quit"))));
  return entries;
}

void show_notification_menu(AppState& state, int x, int y) {
  // The menu runs a modal loop that may change the bundles: the ids it
  // lists are copied, and the chosen bundle is looked up again afterwards.
  std::vector<std::string> ids;
  for (const bundle::Bundle* b : notification_menu_bundles(state.store)) ids.push_back(b->id);
  const int chosen = state.platform.show_notification_menu(x, y, notification_menu(state.store));
  switch (static_cast<NotificationCommand>(chosen)) {
    case NotificationCommand::show:
      state.platform.show_window();
      return;
    case NotificationCommand::quit:
      state.platform.quit();
      return;
    default:
      break;
  }
  const int first = static_cast<int>(NotificationCommand::first_bundle);
  if (chosen < first || static_cast<std::size_t>(chosen - first) >= ids.size()) return;
  if (const std::optional<std::size_t> position = find_bundle(state, ids[static_cast<std::size_t>(chosen - first)])) {
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
  state.platform.show_notification_icon(on);
  // The setting also starts tolvik at sign-in, hidden behind its icon.
  bring_run_value_up_to_date(state);
  if (state.run_value_failure) show_toast(state, *state.run_value_failure);
}

}  // namespace app
