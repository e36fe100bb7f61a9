#include "app/input/mouse.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "app/bundles/add_items.h"
#include "app/bundles/bundle_ops.h"
#include "app/bundles/edit_commit.h"
#include "app/bundles/installed_apps.h"
#include "app/bundles/move_item.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/select.h"
#include "app/input/bundle_menu.h"
#include "app/input/menus.h"
#include "app/input/toast_action.h"
#include "app/opening/open.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/view/hits.h"
#include "app/view/layout.h"
#include "app/view/selection.h"
#include "detect/detect.h"
#include "gfx/view_scale.h"
#include "lang/lang.h"

namespace app {
namespace {

// The view as last laid out: a pointer event over an unchanged view lays out nothing.
const ViewLayout& current_layout(const AppState& state) { return kept_layout(state, state.platform.text_measure()); }

Region region_at(const AppState& state, float x, float y) { return hit_test(current_layout(state), state, x, y); }

// Kinds whose index tells one row from another.
bool indexed(RegionKind kind) {
  return kind == RegionKind::bundle_row || kind == RegionKind::bundle_open || kind == RegionKind::item_row ||
         kind == RegionKind::item_remove;
}

bool same_target(Region pressed, Region released) {
  return pressed.kind == released.kind && (!indexed(pressed.kind) || pressed.index == released.index);
}

// The bundle an add button was clicked for. The dialog it opens runs a modal
// loop in which the selection may change (a hand-over selects the imported
// bundle), so the bundle is kept by its id and found again afterwards.
std::optional<std::string> clicked_bundle(const AppState& state) {
  const bundle::Bundle* selected = state.selected();
  return selected ? std::optional<std::string>(selected->id) : std::nullopt;
}

void add_to(AppState& state, const std::string& bundle_id, std::vector<bundle::Item> items) {
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position || items.empty()) return;
  add_items(state, position, std::move(items));
}

void add_chosen_paths(AppState& state, const std::string& bundle_id, const std::vector<std::string>& paths) {
  std::vector<bundle::Item> items;
  items.reserve(paths.size());
  for (const std::string& path : paths) items.push_back(detect::item_from_path(path));
  add_to(state, bundle_id, std::move(items));
}

void add_files(AppState& state) {
  const std::optional<std::string> bundle_id = clicked_bundle(state);
  if (!bundle_id) return;
  const std::vector<std::string> paths =
      state.platform.open_files_dialog(lang::text("묶음에 넣을 파일", "Files to add to the bundle"),
                                       {{std::string(lang::text("모든 파일", "All files")), "*.*"}}, StartFolder::none);
  add_chosen_paths(state, *bundle_id, paths);
}

void add_folder(AppState& state) {
  const std::optional<std::string> bundle_id = clicked_bundle(state);
  if (!bundle_id) return;
  const auto folder = state.platform.pick_folder_dialog(lang::text("묶음에 넣을 폴더", "Folder to add to the bundle"));
  if (!folder) return;
  add_to(state, *bundle_id, {bundle::Item{bundle::Kind::folder, *folder, {}, {}}});
}

void begin_web_address_entry(AppState& state) {
  const bundle::Bundle* selected = state.selected();
  if (!selected) return;
  begin_edit(state, ActiveEdit{EditMode::web_address, selected->id, 0}, "",
             lang::text("https:// 로 시작하는 웹 주소를 적거나 붙여 넣으세요",
                        "Type or paste a web address starting with https://"));
}

// The element a click puts the keyboard focus on: a row (its Open button's
// row too) or a button; none for the background, the toast and a remove
// button, whose row goes.
std::optional<Region> focus_of_click(Region clicked) {
  switch (clicked.kind) {
    case RegionKind::background:
    case RegionKind::toast_action:
    case RegionKind::item_remove:
    case RegionKind::search_box:
      return std::nullopt;
    case RegionKind::bundle_row:
    case RegionKind::bundle_open:
      return Region{RegionKind::bundle_row, clicked.index};
    case RegionKind::item_row:
      return clicked;
    default:
      return Region{clicked.kind, 0};
  }
}

// The pointer hides the focus ring until the keyboard is used again, as Windows does.
void hide_focus_ring(AppState& state) {
  if (!state.focus_ring) return;
  state.focus_ring = false;
  state.redraw();
}

void drop_dragged_item(AppState& state, const AppState::ItemDrag& drag) {
  const ViewLayout layout = current_layout(state);
  const std::size_t drop_index = item_drop_index(layout, drag.pointer_y, drag.grab_offset);
  if (drop_index != drag.index && state.selected_bundle) move_item(state, drag.index, drop_index);
  state.redraw();
}

}  // namespace

void on_mouse_move(AppState& state, float x, float y, bool left_button_down) {
  if (!state.tracking_leave) {
    state.platform.track_pointer_leave();
    state.tracking_leave = true;
  }
  if (state.item_drag) {
    state.item_drag->pointer_y = y;
    state.redraw();
    return;
  }
  const float s = gfx::view_scale(state.dpi);
  if (left_button_down && state.pressed.region && state.pressed.region->kind == RegionKind::item_row &&
      (std::fabs(y - state.pressed.y) > 5 * s || std::fabs(x - state.pressed.x) > 12 * s)) {
    end_edit(state, true);
    const std::size_t index = state.pressed.region->index;
    const auto row = item_row_rect(current_layout(state), index);
    state.item_drag = AppState::ItemDrag{index, y, state.pressed.y - (row ? row->y : 0.0f)};
    state.selected_item = index;
    state.focus = Region{RegionKind::item_row, index};
    state.redraw();
    return;
  }
  const Region region = region_at(state, x, y);
  if (region.kind != state.hover.kind || (indexed(region.kind) && region.index != state.hover.index)) {
    state.hover = region;
    state.redraw();
  }
}

void on_left_button_down(AppState& state, float x, float y) {
  // A click anywhere in the view ends the running edit, before the click
  // acts; the field's lost focus does not, as it may have gone elsewhere.
  end_edit(state, true);
  hide_focus_ring(state);
  state.platform.focus_window();
  state.platform.capture_pointer();
  state.pressed = {region_at(state, x, y), x, y};
}

void on_left_button_up(AppState& state, float x, float y) {
  if (state.item_drag) {
    const AppState::ItemDrag drag = *state.item_drag;
    state.item_drag.reset();
    // A click is not dispatched after a drag; the press is spent.
    state.pressed = {};
    drop_dragged_item(state, drag);
    state.platform.release_pointer();
    return;
  }
  state.platform.release_pointer();
  const std::optional<Region> pressed = state.pressed.region;
  state.pressed = {};
  if (!pressed) return;
  if (!same_target(*pressed, region_at(state, x, y))) return;
  if (const std::optional<Region> focus = focus_of_click(*pressed)) state.focus = focus;
  dispatch_click(state, *pressed, x, y);
}

void on_double_click(AppState& state, float x, float y) {
  const Region region = region_at(state, x, y);
  if (region.kind == RegionKind::item_row) {
    open_single_item(state, region.index);
  } else if (region.kind == RegionKind::bundle_row) {
    select_bundle(state, region.index);
    open_bundle(state, region.index);
  }
}

void on_right_button_up(AppState& state, float x, float y) {
  const Region region = region_at(state, x, y);
  hide_focus_ring(state);
  if (region.kind == RegionKind::bundle_row || region.kind == RegionKind::bundle_open ||
      region.kind == RegionKind::item_row) {
    state.focus = focus_of_click(region);
  }
  switch (region.kind) {
    case RegionKind::bundle_row:
    case RegionKind::bundle_open:
      select_bundle(state, region.index);
      show_bundle_menu(state, region.index, x, y);
      break;
    case RegionKind::title:
    case RegionKind::more:
      if (state.selected_bundle) show_bundle_menu(state, *state.selected_bundle, x, y);
      break;
    case RegionKind::item_row:
    case RegionKind::item_remove:
      show_item_menu(state, region.index, x, y);
      break;
    default:
      break;
  }
}

void on_wheel(AppState& state, float x, float /*y*/, int delta) {
  const ViewLayout layout = current_layout(state);
  const float s = gfx::view_scale(state.dpi);
  const float step = (static_cast<float>(delta) / -120.0f) * s * 100.0f;
  if (x >= layout.sidebar_width) {
    state.content_scroll = std::clamp(state.content_scroll + step, 0.0f, content_max_scroll(layout));
  } else {
    state.sidebar_scroll = std::clamp(state.sidebar_scroll + step, 0.0f, sidebar_max_scroll(layout));
  }
  state.redraw();
}

void on_capture_lost(AppState& state) { cancel_item_drag(state); }

void on_mouse_leave(AppState& state) {
  state.tracking_leave = false;
  if (state.hover.kind != RegionKind::background) {
    state.hover = {};
    state.redraw();
  }
}

void dispatch_click(AppState& state, Region pressed, float x, float y) {
  switch (pressed.kind) {
    case RegionKind::background:
      if (state.selected_item) {
        state.selected_item.reset();
        state.redraw();
      }
      break;
    case RegionKind::settings_menu:
      show_settings_menu(state, x, y);
      break;
    case RegionKind::new_bundle:
    case RegionKind::create_first_bundle:
      new_bundle(state);
      break;
    case RegionKind::bundle_row:
      select_bundle(state, pressed.index);
      break;
    case RegionKind::bundle_open:
      select_bundle(state, pressed.index);
      open_or_stop(state, pressed.index);
      break;
    case RegionKind::title:
      begin_rename_bundle(state);
      break;
    case RegionKind::open:
      if (state.selected_bundle) open_or_stop(state, *state.selected_bundle);
      break;
    case RegionKind::more:
      if (state.selected_bundle) show_bundle_menu(state, *state.selected_bundle, x, y);
      break;
    case RegionKind::add_files:
      add_files(state);
      break;
    case RegionKind::add_folder:
      add_folder(state);
      break;
    case RegionKind::add_app:
      add_app(state, x, y);
      break;
    case RegionKind::add_web_address:
      begin_web_address_entry(state);
      break;
    case RegionKind::item_row:
      state.selected_item = pressed.index;
      state.redraw();
      break;
    case RegionKind::item_remove:
      remove_item(state, pressed.index);
      break;
    case RegionKind::toast_action:
      run_toast_action(state);
      break;
    case RegionKind::search_box:
      break;  // the native box takes its own clicks
  }
}

}  // namespace app
