#pragma once
// The update check's entry point: the settings menu's "Check for updates" and
// the daily check at start both come through here.

namespace app {

struct AppState;

enum class UpdateRequest { daily, by_user };

// Starts a check in the background; its answer arrives as WM_APP+2.
void check_for_updates(AppState& state, UpdateRequest request);

}  // namespace app
