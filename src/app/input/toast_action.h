#pragma once
// The toast's button (toast_action.cpp).

namespace app {

struct AppState;

// The toast's button was clicked: does what it carries (Undo, Retry).
void run_toast_action(AppState& state);

}  // namespace app
