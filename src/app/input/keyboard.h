#pragma once
// Defined in keyboard.cpp.

namespace app {

struct AppState;

// The keys the main window acts on; every other key is `other`. Ctrl+V needs
// the clipboard and is handled by the window itself. The menu key and
// Shift+F10 are not keys here: the system turns them into a request for the
// context menu (open_focus_menu).
enum class Key {
  enter, space, escape, tab, up, down, left, right, home, end, del, f2, f6, f10, f, n, o, z, other
};

struct KeyModifiers {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

// WM_KEYDOWN on the main window, and the system keys it takes (F10, Alt+Up/Down).
void handle_key(AppState& state, Key key, KeyModifiers modifiers);
inline void handle_key(AppState& state, Key key, bool ctrl) { handle_key(state, key, KeyModifiers{.ctrl = ctrl}); }

// Tab or Shift+Tab pressed in the search box: the focus goes on from there.
void tab_from_search_box(AppState& state, bool backwards);

// The menu of what has the focus, at the focused element: the item menu on an
// item, the bundle menu on a bundle row, the name or the more button, the
// settings menu on the ☰ button. Without a focus, the selected item's menu,
// else the selected bundle's.
void open_focus_menu(AppState& state);

}  // namespace app
