#pragma once

namespace app {

struct AppState;

// The keys the main window acts on; every other key is `other`.
enum class Key { enter, escape, up, down, other };

// WM_KEYDOWN on the main window. Keys act only with Ctrl up.
void handle_key(AppState& state, Key key, bool ctrl);

}  // namespace app
