#include "app/bundles/remove_delete.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "app/bundles/edit_commit.h"
#include "app/bundles/select.h"
#include "app/state/app_state.h"
#include "app/view/scroll.h"
#include "app/view/selection.h"
#include "lang/lang.h"

namespace app {
namespace {

bool edits_item(const ActiveEdit& edit, std::string_view bundle_id, std::size_t index) {
  return edit.bundle_id == bundle_id && edit.item == index &&
         (edit.mode == EditMode::item_name || edit.mode == EditMode::item_args);
}

// Ends the running edit before something goes: an edit of what goes is
// dropped with it; any other is committed, since the items after a removed
// one move up and would take its text.
void end_edit_before_removing(AppState& state, bool edits_what_goes) { end_edit(state, !edits_what_goes); }

}  // namespace

void remove_item(AppState& state, std::size_t index) {
  if (!state.selected() || index >= state.selected()->items.size()) return;
  const std::string bundle_id = state.selected()->id;
  const std::string target = state.selected()->items[index].target;
  end_edit_before_removing(state, state.edit && edits_item(*state.edit, bundle_id, index));
  // A commit renames or appends; the item is checked again all the same.
  if (!state.selected() || state.selected()->id != bundle_id || index >= state.selected()->items.size() ||
      state.selected()->items[index].target != target) {
    return;
  }

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
  const std::string id = state.store.bundles[index].id;
  end_edit_before_removing(state, state.edit && state.edit->bundle_id == id);
  if (index >= state.store.bundles.size() || state.store.bundles[index].id != id) return;

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
