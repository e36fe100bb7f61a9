#include "app/input/search.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/bundles/select.h"
#include "app/input/keyboard.h"
#include "app/state/app_state.h"
#include "app/view/selection.h"
#include "base/unicode.h"

namespace app {
namespace {

// Selects the first visible bundle when nothing visible is selected.
void keep_selection_visible(AppState& state) {
  const std::vector<std::size_t> visible = visible_bundles(state);
  if (visible.empty()) return;
  if (!state.selected_bundle || std::find(visible.begin(), visible.end(), *state.selected_bundle) == visible.end()) {
    select_bundle(state, visible.front());
  }
}

// Leaving the box by a key puts the focus on the list, at the selected bundle.
void focus_bundle_list(AppState& state) {
  if (state.selected_bundle) {
    state.focus = Region{RegionKind::bundle_row, *state.selected_bundle};
  } else {
    state.focus.reset();
  }
}

}  // namespace

void open_search(AppState& state) {
  state.search_open = true;
  state.focus = Region{RegionKind::search_box, 0};
  state.platform.focus_search_box();
  state.redraw();
}

void on_search_text_changed(AppState& state, std::string_view text) {
  // The box reports its own emptying by the program (a new bundle, Esc) only
  // once the handler that emptied it has returned, by then the program has
  // cleared the search and scrolled to what it shows: the same text changes
  // nothing.
  const std::string_view trimmed = base::trim(text);
  if (trimmed == state.search_text) return;
  state.search_text = std::string(trimmed);
  state.sidebar_scroll = 0;
  keep_selection_visible(state);
  state.redraw();
}

void on_search_key(AppState& state, SearchKey key) {
  switch (key) {
    case SearchKey::escape:
      // The box's change notice clears the search too; clearing it here keeps
      // the next frame from showing a list filtered by a text that is gone.
      state.platform.clear_search_box();
      state.search_text.clear();
      state.sidebar_scroll = 0;
      state.platform.focus_window();
      state.search_open = false;
      focus_bundle_list(state);
      break;
    case SearchKey::enter:
      keep_selection_visible(state);
      state.platform.focus_window();
      focus_bundle_list(state);
      break;
    case SearchKey::down:
      state.platform.focus_window();
      move_selection(state, +1);
      focus_bundle_list(state);
      break;
    case SearchKey::up:
      state.platform.focus_window();
      move_selection(state, -1);
      focus_bundle_list(state);
      break;
    case SearchKey::tab:
    case SearchKey::back_tab:
      tab_from_search_box(state, key == SearchKey::back_tab);
      break;
  }
  state.redraw();
}

void search_box_focused(AppState& state) {
  if (state.focus == Region{RegionKind::search_box, 0}) return;
  state.focus = Region{RegionKind::search_box, 0};
  state.redraw();
}

}  // namespace app
