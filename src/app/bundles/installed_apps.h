#pragma once
// The installed apps the "Add app…" list offers: what the system's
// Applications folder holds, put in the order the list shows, and the item a
// picked one becomes.
// Defined in installed_apps.cpp.

#include <string>
#include <vector>

#include "bundle/model.h"

namespace app {

struct AppState;

// One entry of the Applications folder.
struct InstalledApp {
  std::string name;          // the display name ("Calculator")
  std::string parsing_name;  // an AppUserModelID, or the path of a desktop program
  int icon = -1;             // its index in the system image list; -1: none

  bool operator==(const InstalledApp&) const = default;
};

// Sorted by name without case; entries without a name or a parsing name, and
// repeats of a parsing name, left out.
std::vector<InstalledApp> apps_for_list(std::vector<InstalledApp> apps);

// A desktop program known by its path becomes a plain app item of that path;
// anything else "shell:AppsFolder\<parsing name>". Either is named with the
// app's display name.
bundle::Item item_from_installed_app(const InstalledApp& app);

// "Add app…": a small menu at (x, y) that browses for a program or picks one
// of the installed apps, then adds it to the bundle selected now.
void add_app(AppState& state, float x, float y);

}  // namespace app
