#include "app/view/selection.h"

#include <algorithm>
#include <string>

#include "app/state/app_state.h"
#include "app/view/layout.h"

namespace app {


void scroll_selected_row_into_view(AppState& state) {
  if (!state.selected_bundle) return;
  const std::vector<std::size_t> visible = visible_bundles(state);
  const auto at = std::find(visible.begin(), visible.end(), *state.selected_bundle);
  if (at == visible.end()) return;
  const ViewLayout layout = layout_view(state, state.platform.text_measure());
  const float offset = static_cast<float>(at - visible.begin()) * layout.row_pitch;  // from the list top
  const float row_height = bundle_row_height(layout);
  if (layout.list_top + offset - state.sidebar_scroll < layout.list_top) {
    state.sidebar_scroll = offset;
  } else if (layout.list_top + offset + row_height - state.sidebar_scroll > layout.height) {
    state.sidebar_scroll = layout.list_top + offset + row_height - layout.height;
  }
}

std::vector<std::size_t> visible_bundles(const AppState& state) {
  if (!state.search_text.empty()) return state.view_cache.visible_bundles.get(state.store, state.search_text);
  std::vector<std::size_t> visible(state.store.bundles.size());
  for (std::size_t i = 0; i < visible.size(); ++i) visible[i] = i;
  return visible;
}


void check_targets(AppState& state) {
  const bundle::Bundle* selected = state.selected();
  if (!selected) return;
  std::vector<std::string> targets;
  for (const bundle::Item& item : selected->items) {
    if (bundle::has_file_target(item)) targets.push_back(item.target);
  }
  state.platform.start_target_check(std::move(targets));
}

}  // namespace app
