#pragma once

namespace app {

struct AppState;

// The keys the main window acts on; every other key is `other`. Ctrl+V needs
// the clipboard and is handled by the window itself.
enum class Key { enter, escape, up, down, del, f2, apps, f, n, o, z, other };

// WM_KEYDOWN on the main window.
void handle_key(AppState& state, Key key, bool ctrl);

}  // namespace app
