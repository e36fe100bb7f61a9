#pragma once
// The settings menu behind the ☰ button and the item menu of an item row.
// The popup itself is the platform's; what is in a menu and what a choice
// does is decided here.
// Defined in menus.cpp.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/state/platform.h"
#include "app/state/update_stage.h"
#include "bundle/model.h"

namespace app {

struct AppState;

// What the settings menu's entries do; the menu and its handler both name
// them from here. The languages take one id each from `first_language` on,
// in menu order.
enum class SettingsCommand : int {
  import_bundle = 1,
  auto_update,
  check_updates,
  maker_site,
  about,
  keep_in_notification_area,
  follow_windows = 100,
  first_language,
};

// What the item menu's entries do.
enum class ItemCommand : int { open_just_this = 1, open_location, rename, arguments, options, remove };

// The settings menu for the stored "Language" and "AutoUpdate" values and
// the notification-area setting; while an installer downloads, its progress
// stands in place of "Check for updates".
std::vector<MenuEntry> settings_menu(const std::optional<std::string>& language,
                                     std::optional<std::uint32_t> auto_update, const UpdateStage& update = {},
                                     bool keep_in_notification_area = false);
void show_settings_menu(AppState& state, float x, float y);
// What a chosen settings id does; 0 and unknown ids do nothing.
void run_settings_command(AppState& state, int id);

// The About box's text.
std::string about_text();

std::vector<MenuEntry> item_menu_entries(bundle::Kind kind);
// The item menu for item `index` of the selected bundle.
void show_item_menu(AppState& state, std::size_t index, float x, float y);
// The item menu's Rename for item `index` of the selected bundle.
void rename_item(AppState& state, std::size_t index);

// "Open file location": the folder itself, or explorer.exe selecting the
// target (as its variables expand); a packaged app's is the Applications folder.
void reveal_in_explorer(AppState& state, bundle::Kind kind, const std::string& target);
// explorer.exe's raw argument /select,"<target>"; none for a target that holds
// a quotation mark, which could otherwise end the argument and add others.
std::optional<std::string> explorer_select_argument(std::string_view target);

}  // namespace app
