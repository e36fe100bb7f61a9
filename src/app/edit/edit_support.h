#pragma once
// Small steps the editing operations share.

#include <cstddef>
#include <optional>
#include <string_view>

namespace app {

struct AppState;

// The store position of the bundle with exactly this id.
std::optional<std::size_t> find_bundle(const AppState& state, std::string_view id);

// Selects the bundle at `index` as a new selection even when that position was
// selected before: a bundle inserted there is another bundle, so the item
// selection, the scroll offset and the missing marks must start afresh.
void select_inserted_bundle(AppState& state, std::size_t index);

// Commits a running item-name or item-arguments edit of the bundle before its
// items move, so the edit cannot land on the item that took its place.
void end_item_edit(AppState& state, std::string_view bundle_id);

}  // namespace app
