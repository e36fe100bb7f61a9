#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "app/act/bundle_changes.h"
#include "app/app_state.h"
#include "app/edit/edit.h"
#include "app/scroll.h"
#include "app/selection.h"
#include "lang/lang.h"

namespace app {

void remove_item(AppState& state, std::size_t index) {
  if (!state.selected() || index >= state.selected()->items.size()) return;
  end_edit(state, false);

  bundle::Bundle& owner = state.store.bundles[*state.selected_bundle];
  bundle::Item removed = std::move(owner.items[index]);
  owner.items.erase(owner.items.begin() + static_cast<std::ptrdiff_t>(index));
  if (owner.items.empty()) {
    state.selected_item.reset();
  } else {
    state.selected_item = std::min(index, owner.items.size() - 1);
  }
  std::string owner_id = owner.id;

  save_store(state);
  clamp_item_scroll(state);
  std::string text = lang::fill(lang::text("‘{0}’ 항목을 뺐습니다", "Removed “{0}”"), {bundle::item_label(removed)});
  show_undo_toast(state, RemovedItem{std::move(owner_id), std::move(removed), index}, std::move(text));
}

void delete_bundle(AppState& state, std::size_t index) {
  if (index >= state.store.bundles.size()) return;
  end_edit(state, false);

  std::vector<bundle::Bundle>& bundles = state.store.bundles;
  bundle::Bundle deleted = std::move(bundles[index]);
  bundles.erase(bundles.begin() + static_cast<std::ptrdiff_t>(index));
  state.selected_bundle.reset();
  state.selected_item.reset();
  save_store(state);

  if (bundles.empty()) {
    select_bundle(state, std::nullopt);
  } else {
    select_bundle(state, std::min(index, bundles.size() - 1));
  }
  std::string text = lang::fill(lang::text("‘{0}’ 묶음을 지웠습니다", "Deleted “{0}”"), {deleted.name});
  show_undo_toast(state, DeletedBundle{std::move(deleted), index}, std::move(text));
}

}  // namespace app
