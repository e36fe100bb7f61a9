#include <string>

#include "app/bundles/bundle_changes.h"
#include "app/edit/edit_support.h"
#include "app/state/app_state.h"
#include "base/unicode.h"

namespace app {
namespace {

bundle::Item* find_item(AppState& state, std::string_view bundle_id, std::size_t index) {
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position) return nullptr;
  std::vector<bundle::Item>& items = state.store.bundles[*position].items;
  return index < items.size() ? &items[index] : nullptr;
}

// Replaces one text of the store and saves, unless the text is already there.
void replace_and_save(AppState& state, std::string& field, std::string_view text) {
  if (field == text) return;
  field = std::string(text);
  save_store(state);
}

}  // namespace

void commit_bundle_name(AppState& state, std::string_view bundle_id, std::string_view text) {
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position) return;
  const std::string_view name = base::trim(text);
  // A blank name keeps the old one.
  if (name.empty()) return;
  replace_and_save(state, state.store.bundles[*position].name, name);
}

void commit_item_name(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view text) {
  // An empty name gives the item its automatic label back.
  if (bundle::Item* item = find_item(state, bundle_id, index)) replace_and_save(state, item->name, base::trim(text));
}

void commit_args(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view text) {
  if (bundle::Item* item = find_item(state, bundle_id, index)) replace_and_save(state, item->args, base::trim(text));
}

}  // namespace app
