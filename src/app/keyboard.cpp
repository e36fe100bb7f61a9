#include "app/keyboard.h"

#include "app/act/bundle_changes.h"
#include "app/act/bundle_file.h"
#include "app/act/bundle_menu.h"
#include "app/act/open.h"
#include "app/act/undo.h"
#include "app/app_state.h"
#include "app/edit/search.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/scroll.h"
#include "app/selection.h"

namespace app {
namespace {

// The context menu from the keyboard: the selected item's, else the selected bundle's.
void open_context_menu(AppState& state) {
  // The menu opens at the selected row, so a row scrolled away comes back
  // first; the menu would open outside the window otherwise.
  if (state.selected_item) scroll_item_into_view(state, *state.selected_item);
  const ViewLayout layout = layout_view(state, state.platform.text_measure());
  if (state.selected_item) {
    const auto row = item_row_rect(layout, *state.selected_item);
    show_item_menu(state, *state.selected_item, row ? row->x + 60 : 60, row ? row->bottom() : 0);
  } else if (state.selected_bundle) {
    show_bundle_menu(state, *state.selected_bundle, layout.content_left, 120);
  }
}

void handle_ctrl_key(AppState& state, Key key) {
  switch (key) {
    case Key::f: open_search(state); break;
    case Key::n: new_bundle(state); break;
    case Key::o: choose_and_import(state); break;
    case Key::z: undo(state); break;
    default: break;
  }
}

}  // namespace

void handle_key(AppState& state, Key key, bool ctrl) {
  if (ctrl) {
    handle_ctrl_key(state, key);
    return;
  }
  switch (key) {
    case Key::enter:
      if (state.selected()) open_or_stop(state, *state.selected_bundle);
      break;
    case Key::escape:
      state.selected_item.reset();
      state.redraw();
      break;
    case Key::up:
      move_selection(state, -1);
      break;
    case Key::down:
      move_selection(state, +1);
      break;
    case Key::del:
      if (state.selected_item) remove_item(state, *state.selected_item);
      break;
    case Key::f2:
      begin_rename_bundle(state);
      break;
    case Key::apps:
      open_context_menu(state);
      break;
    default:
      break;
  }
}

}  // namespace app
