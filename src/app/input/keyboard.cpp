#include "app/input/keyboard.h"

#include <optional>

#include "app/bundles/bundle_file.h"
#include "app/bundles/bundle_ops.h"
#include "app/bundles/move_item.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/select.h"
#include "app/bundles/undo.h"
#include "app/input/bundle_menu.h"
#include "app/input/menus.h"
#include "app/input/mouse.h"
#include "app/input/search.h"
#include "app/opening/open.h"
#include "app/state/app_state.h"
#include "app/view/focus.h"
#include "app/view/layout.h"
#include "app/view/scroll.h"
#include "app/view/selection.h"

namespace app {
namespace {

// A copy: what a key does changes the state, and with it the kept layout.
ViewLayout current_layout(const AppState& state) { return kept_layout(state, state.platform.text_measure()); }

// Lists take Up/Down, button rows Left/Right.
bool runs_down(RegionKind kind) { return kind == RegionKind::bundle_row || kind == RegionKind::item_row; }

// The focus as the view now is; with none yet, the bundle list when a bundle
// is selected, so that the arrows move through it as they always have.
void settle_focus(AppState& state, const ViewLayout& layout) {
  state.focus = repaired_focus(layout, state, state.focus, state.focus_before_toast);
  if (state.focus || !state.selected_bundle) return;
  const std::optional<Region> list = repaired_focus(layout, state, Region{RegionKind::bundle_row, 0});
  if (list && list->kind == RegionKind::bundle_row) state.focus = list;
}

void scroll_into_view(AppState& state, Region focus) {
  if (focus.kind == RegionKind::bundle_row) scroll_selected_row_into_view(state);
  if (focus.kind == RegionKind::item_row) scroll_item_into_view(state, focus.index);
}

// Puts the focus on `to`. A list row is the selection: it is selected (a
// bundle as a click selects it) and scrolled into view.
void focus_on(AppState& state, Region to) {
  const bool leaves_search_box =
      state.focus && state.focus->kind == RegionKind::search_box && to.kind != RegionKind::search_box;
  if (to.kind == RegionKind::bundle_row && state.selected_bundle != to.index) {
    select_bundle(state, to.index);
  } else if (to.kind == RegionKind::item_row) {
    state.selected_item = to.index;
  }
  state.focus = to;
  scroll_into_view(state, to);
  if (to.kind == RegionKind::search_box) {
    state.platform.focus_search_box();
  } else if (leaves_search_box) {
    state.platform.focus_window();
  }
  state.redraw();
}

// Enter or Space on the focused element: a button does what its click does.
void activate(AppState& state, const ViewLayout& layout, Region focus, Key key) {
  switch (focus.kind) {
    case RegionKind::bundle_row:
      if (key == Key::enter) open_or_stop(state, focus.index);
      return;
    case RegionKind::item_row:
      if (key == Key::enter) open_single_item(state, focus.index);
      return;
    case RegionKind::search_box:
    case RegionKind::background:
      return;
    default:
      break;
  }
  // What a button opens (a menu, the app list) opens below it.
  const std::optional<gfx::RectF> rect = focus_rect(layout, state, focus);
  dispatch_click(state, focus, rect ? rect->x : 0, rect ? rect->bottom() : 0);
}

// F6: to the toast's button and back to where the focus was.
void toggle_toast_focus(AppState& state, const ViewLayout& layout) {
  if (state.focus && state.focus->kind == RegionKind::toast_action) {
    const std::optional<Region> back = repaired_focus(layout, state, state.focus_before_toast);
    state.focus_before_toast.reset();
    state.focus.reset();
    if (back) focus_on(state, *back);
    state.redraw();
    return;
  }
  if (!state.toast || !layout.toast || !layout.toast->action) return;
  state.focus_before_toast = state.focus;
  focus_on(state, Region{RegionKind::toast_action, 0});
}

// Alt+Up/Down: the focused item one place up or down, as a drag moves it.
void move_focused_item(AppState& state, int delta) {
  if (!state.focus || state.focus->kind != RegionKind::item_row || !state.selected()) return;
  const std::size_t from = state.focus->index;
  const std::size_t count = state.selected()->items.size();
  if ((delta < 0 && from == 0) || (delta > 0 && from + 1 >= count)) return;
  move_item(state, from, delta < 0 ? from - 1 : from + 1);
  if (state.selected_item) focus_on(state, Region{RegionKind::item_row, *state.selected_item});
}

void step_focus(AppState& state, const ViewLayout& layout, FocusStep step) {
  if (!state.focus) return;
  if (const std::optional<Region> to = focus_step(layout, state, *state.focus, step)) {
    focus_on(state, *to);
  } else {
    // Already at the end: the row is brought into view all the same.
    scroll_into_view(state, *state.focus);
    state.redraw();
  }
}

void arrow(AppState& state, const ViewLayout& layout, Key key, bool alt) {
  const bool vertical = key == Key::up || key == Key::down;
  const bool back = key == Key::up || key == Key::left;
  if (alt) {
    if (vertical) move_focused_item(state, back ? -1 : +1);
    return;
  }
  if (!state.focus) {
    // No bundle selected yet: Up/Down select one, as they always have.
    if (!vertical) return;
    move_selection(state, back ? -1 : +1);
    if (state.selected_bundle) state.focus = Region{RegionKind::bundle_row, *state.selected_bundle};
    return;
  }
  if (vertical != runs_down(state.focus->kind)) return;
  step_focus(state, layout, back ? FocusStep::previous : FocusStep::next);
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

void handle_key(AppState& state, Key key, KeyModifiers modifiers) {
  if (modifiers.ctrl) {
    handle_ctrl_key(state, key);
    return;
  }
  if (key == Key::other) return;
  const ViewLayout layout = current_layout(state);
  settle_focus(state, layout);
  if (!state.focus_ring) {
    state.focus_ring = true;
    state.redraw();
  }
  switch (key) {
    case Key::tab:
      focus_on(state, next_focus_stop(layout, state, state.focus, !modifiers.shift));
      break;
    case Key::up:
    case Key::down:
    case Key::left:
    case Key::right:
      arrow(state, layout, key, modifiers.alt);
      break;
    case Key::home:
      step_focus(state, layout, FocusStep::first);
      break;
    case Key::end:
      step_focus(state, layout, FocusStep::last);
      break;
    case Key::enter:
    case Key::space:
      if (state.focus) activate(state, layout, *state.focus, key);
      break;
    case Key::escape:
      state.selected_item.reset();
      state.redraw();
      break;
    case Key::del:
      if (state.selected_item) remove_item(state, *state.selected_item);
      break;
    case Key::f2:
      if (state.focus && state.focus->kind == RegionKind::item_row) {
        rename_item(state, state.focus->index);
      } else {
        begin_rename_bundle(state);
      }
      break;
    case Key::f6:
      toggle_toast_focus(state, layout);
      break;
    case Key::f10:
      show_settings_menu(state, layout.settings.x, layout.settings.bottom());
      break;
    default:
      break;
  }
}

void tab_from_search_box(AppState& state, bool backwards) {
  state.focus = Region{RegionKind::search_box, 0};
  state.focus_ring = true;
  const ViewLayout layout = current_layout(state);
  focus_on(state, next_focus_stop(layout, state, state.focus, !backwards));
}

void open_focus_menu(AppState& state) {
  ViewLayout layout = current_layout(state);
  std::optional<Region> focus = repaired_focus(layout, state, state.focus, state.focus_before_toast);
  if (!focus) {
    if (state.selected() && state.selected_item && *state.selected_item < state.selected()->items.size()) {
      focus = Region{RegionKind::item_row, *state.selected_item};
    } else if (state.selected()) {
      focus = Region{RegionKind::bundle_row, *state.selected_bundle};
    } else {
      return;
    }
  }
  state.focus = focus;
  // The menu opens at the focused element, so one scrolled away comes back
  // first; the menu would open outside the window otherwise.
  scroll_into_view(state, *focus);
  layout = current_layout(state);
  const std::optional<gfx::RectF> rect = focus_rect(layout, state, *focus);
  const float x = rect ? rect->x : layout.content_left;
  const float y = rect ? rect->bottom() : layout.top;
  switch (focus->kind) {
    case RegionKind::item_row:
      show_item_menu(state, focus->index, x + 60 * layout.scale, y);
      break;
    case RegionKind::bundle_row:
      show_bundle_menu(state, focus->index, x, y);
      break;
    case RegionKind::title:
    case RegionKind::open:
    case RegionKind::more:
      if (state.selected_bundle) show_bundle_menu(state, *state.selected_bundle, x, y);
      break;
    case RegionKind::settings_menu:
      show_settings_menu(state, x, y);
      break;
    default:
      break;
  }
}

}  // namespace app
