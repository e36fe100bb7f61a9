#include "app/keyboard.h"

#include "app/act/open.h"
#include "app/app_state.h"
#include "app/selection.h"

namespace app {

void handle_key(AppState& state, Key key, bool ctrl) {
  if (ctrl) return;
  switch (key) {
    case Key::enter:
      if (state.selected()) open_bundle(state, *state.selected_bundle);
      break;
    case Key::escape:
      state.selected_item.reset();
      state.platform.invalidate();
      break;
    case Key::up:
      move_selection(state, -1);
      break;
    case Key::down:
      move_selection(state, +1);
      break;
    case Key::other:
      break;
  }
}

}  // namespace app
