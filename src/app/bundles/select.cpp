#include "app/bundles/select.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/bundles/edit_commit.h"
#include "app/state/app_state.h"
#include "app/view/selection.h"

namespace app {

void select_bundle(AppState& state, std::optional<std::size_t> index) {
  if (!index || index != state.selected_bundle) {
    // A running edit belongs to the bundle on show: it is committed before
    // another one takes its place (its commit may itself select a bundle).
    end_edit(state, true);
    cancel_item_drag(state);
    state.selected_bundle = index && *index < state.store.bundles.size() ? index : std::nullopt;
    state.selected_item.reset();
    state.content_scroll = 0;
    check_targets(state);
  }
  const bundle::Bundle* selected = state.selected();
  // Only the next start's first selection depends on it: a failed write is not worth a word.
  (void)state.platform.write_setting_text("Selected", selected ? std::string_view(selected->id) : std::string_view());
  scroll_selected_row_into_view(state);
  state.redraw();
}

void select_inserted_bundle(AppState& state, std::size_t index) {
  state.selected_bundle.reset();
  select_bundle(state, index);
}

void move_selection(AppState& state, int delta) {
  const std::vector<std::size_t> visible = visible_bundles(state);
  if (visible.empty()) return;
  auto at = state.selected_bundle ? std::find(visible.begin(), visible.end(), *state.selected_bundle)
                                  : visible.end();
  std::size_t target = 0;
  if (at != visible.end()) {
    const long p = static_cast<long>(at - visible.begin()) + delta;
    target = static_cast<std::size_t>(std::clamp(p, 0L, static_cast<long>(visible.size()) - 1));
  }
  select_bundle(state, visible[target]);
}

}  // namespace app
