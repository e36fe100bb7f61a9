#pragma once
// What "Add app…" needs from the system: the items of its Applications
// folder and the list they are picked from (WinPlatform in
// app/window/win_platform_win.h; FakePlatform in the tests).

#include <cstddef>
#include <optional>
#include <vector>

#include "app/bundles/installed_apps.h"

namespace app {

class InstalledAppsHost {
 public:
  virtual ~InstalledAppsHost() = default;

  virtual std::vector<InstalledApp> installed_apps() = 0;
  // A modal dialog: the position picked, none when cancelled. The window
  // goes on handling messages meanwhile (see Platform's modal calls).
  virtual std::optional<std::size_t> choose_installed_app(const std::vector<InstalledApp>& apps) = 0;
};

}  // namespace app
