#pragma once
// The bundle menu: the commands that act on one whole bundle.

#include <cstddef>
#include <vector>

#include "app/platform.h"
#include "bundle/model.h"

namespace app {

struct AppState;

// The bundle menu's ids (1-based positions, separators included).
namespace bundle_id {
inline constexpr int open = 1;
inline constexpr int rename = 2;
inline constexpr int duplicate = 3;
inline constexpr int desktop_shortcut = 5;
inline constexpr int explorer_folders = 6;
inline constexpr int export_file = 8;
inline constexpr int remove = 10;
}  // namespace bundle_id

std::vector<MenuEntry> bundle_menu_entries(const bundle::Bundle* bundle);

// Shows the menu for the bundle at `index` and runs the chosen command on
// that same bundle; a bundle that went away while the menu was up is left alone.
void show_bundle_menu(AppState& state, std::size_t index, float x, float y);

}  // namespace app
