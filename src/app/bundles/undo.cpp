#include "app/bundles/undo.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "app/bundles/edit_commit.h"
#include "app/bundles/select.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/view/selection.h"
#include "lang/lang.h"

namespace app {
namespace {

// How an undo in a bundle that is still there ends: the store saved, the
// bundle selected (and the item the undo was about, if any) and the toast.
void undone(AppState& state, std::size_t position, std::optional<std::size_t> item = std::nullopt) {
  save_store(state);
  select_bundle(state, position);
  if (item) state.selected_item = item;
  show_toast(state, std::string(lang::text("되돌렸습니다", "Undone")));
}

// The list may have changed since the deletion: the bundle goes back to its
// old position, or to the end when the list has become shorter.
void restore(AppState& state, DeletedBundle deleted) {
  std::vector<bundle::Bundle>& bundles = state.store.bundles;
  const std::size_t at = std::min(deleted.index, bundles.size());
  std::string name = deleted.bundle.name;
  bundles.insert(bundles.begin() + static_cast<std::ptrdiff_t>(at), std::move(deleted.bundle));

  save_store(state);
  select_inserted_bundle(state, at);
  show_toast(state, lang::fill(lang::text("‘{0}’ 묶음을 되살렸습니다", "Restored “{0}”"), {name}));
}

void restore(AppState& state, RemovedItem removed) {
  // The bundle was deleted meanwhile: nothing to put the item back into.
  if (!find_bundle(state, removed.bundle_id)) return;
  end_item_edit(state, removed.bundle_id);
  const std::optional<std::size_t> position = find_bundle(state, removed.bundle_id);
  if (!position) return;

  std::vector<bundle::Item>& items = state.store.bundles[*position].items;
  const std::size_t at = std::min(removed.index, items.size());
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(removed.item));

  undone(state, *position, at);
}

// The item may have moved since: it is the one at its old position, else
// the first of its bundle with the same target.
void restore(AppState& state, ChangedOptions changed) {
  const std::optional<std::size_t> position = find_bundle(state, changed.bundle_id);
  if (!position) return;
  std::vector<bundle::Item>& items = state.store.bundles[*position].items;
  std::size_t at = changed.index;
  if (at >= items.size() || items[at].target != changed.target) {
    const auto same = std::find_if(items.begin(), items.end(),
                                   [&changed](const bundle::Item& item) { return item.target == changed.target; });
    if (same == items.end()) return;
    at = static_cast<std::size_t>(same - items.begin());
  }
  items[at].options = std::move(changed.before);

  undone(state, *position, at);
}

void restore(AppState& state, ChangedSignIn changed) {
  const std::optional<std::size_t> position = find_bundle(state, changed.bundle_id);
  if (!position) return;
  state.store.bundles[*position].at_sign_in = changed.before;

  undone(state, *position);
}

// The key goes back only while no other bundle has taken it since.
void restore(AppState& state, ChangedHotkey changed) {
  const std::optional<std::size_t> position = find_bundle(state, changed.bundle_id);
  if (!position) return;
  const bool taken = changed.hotkey && std::any_of(state.store.bundles.begin(), state.store.bundles.end(),
                                                   [&changed](const bundle::Bundle& b) {
                                                     return b.id != changed.bundle_id && b.hotkey == changed.hotkey;
                                                   });
  bundle::Bundle& b = state.store.bundles[*position];
  b.hotkey = taken ? std::nullopt : changed.hotkey;
  b.sign_in_delay = changed.sign_in_delay;

  undone(state, *position);
}

}  // namespace

void undo(AppState& state) {
  if (!state.undo) return;
  Undo record = std::move(*state.undo);
  state.undo.reset();
  std::visit([&state](auto&& r) { restore(state, std::move(r)); }, std::move(record));
}

}  // namespace app
