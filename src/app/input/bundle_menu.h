#pragma once
// The bundle menu: the commands that act on one whole bundle.
// Defined in bundle_menu.cpp.

#include <cstddef>
#include <vector>

#include "app/state/platform.h"
#include "bundle/model.h"

namespace app {

struct AppState;

// What the bundle menu's entries do.
enum class BundleCommand : int {
  open = 1,
  rename,
  duplicate,
  desktop_shortcut,
  explorer_folders,
  export_file,
  remove,
  close,    // listed after open
  sign_in,  // listed after the File Explorer folders
  hotkey,   // listed after duplicate
};

// "Open when I sign in", or with the reason it will not happen: the user
// keeps tolvik turned off in Windows' start-up apps, or tolvik's Run value
// could not be written.
std::string sign_in_entry_label(bool turned_off, bool not_written = false);

// A marked bundle's sign-in entry is ticked unless the Run value could not
// be written (`run_value_failed`), which the entry says instead.
std::vector<MenuEntry> bundle_menu_entries(const bundle::Bundle* bundle, bool sign_in_turned_off = false,
                                           bool run_value_failed = false);

// Shows the menu for the bundle at `index` and runs the chosen command on
// that same bundle; a bundle that went away while the menu was up is left alone.
void show_bundle_menu(AppState& state, std::size_t index, float x, float y);

}  // namespace app
