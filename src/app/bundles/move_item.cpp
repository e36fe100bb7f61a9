#include "app/bundles/move_item.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "app/bundles/edit_commit.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"

namespace app {

void move_item(AppState& state, std::size_t from, std::size_t to) {
  if (!state.selected() || to == from || from >= state.selected()->items.size()) return;
  end_item_edit(state, state.selected()->id);

  std::vector<bundle::Item>& items = state.store.bundles[*state.selected_bundle].items;
  bundle::Item moved = std::move(items[from]);
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(from));
  // Past the end of the shortened list it goes last; the selection follows it
  // to where it really is.
  const std::size_t at = std::min(to, items.size());
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(moved));
  state.selected_item = at;
  save_store(state);
}

}  // namespace app
