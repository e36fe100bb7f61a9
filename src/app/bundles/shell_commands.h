#pragma once
// The two bundle commands that reach into the shell: a desktop shortcut that
// opens the bundle, and the folders open in File Explorer.
// Defined in shell_commands.cpp.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/state/platform.h"

namespace app {

struct AppState;

// A shortcut "<name>.lnk" on the Desktop that starts tolvik with
// --open "<id>"; " (2)", " (3)"… when the name is taken.
void create_desktop_shortcut(AppState& state, std::size_t index);

// Offers the folders open in File Explorer and adds the chosen ones.
void add_explorer_folders(AppState& state, std::size_t index, float x, float y);

// The n-th candidate name of a shortcut: "Report.lnk", then "Report (2).lnk"…
std::string shortcut_file_name(std::string_view safe_name, int n);

// The paths without repeats; paths that differ only in ASCII letter case are
// the same folder.
std::vector<std::string> without_repeated_folders(const std::vector<std::string>& paths);

// One entry per path, shown as it is written, then with two or more a
// separator and "Add all (n)". The path at i answers i + 1; "Add all"
// answers add_all_folders_id.
std::vector<MenuEntry> explorer_folder_entries(const std::vector<std::string>& paths);
constexpr int add_all_folders_id(std::size_t path_count) { return static_cast<int>(path_count) + 1; }

}  // namespace app
