#pragma once
// Small steps the editing operations share.

#include <cstddef>
#include <optional>
#include <string_view>

// find_bundle, which every editing step uses to find its bundle again.
#include "app/state/bundle_lookup.h"

namespace app {

struct AppState;

// Selects the bundle at `index` as a new selection even when that position was
// selected before: a bundle inserted there is another bundle, so the item
// selection, the scroll offset and the missing marks must start afresh.
void select_inserted_bundle(AppState& state, std::size_t index);

// Commits a running item-name or item-arguments edit of the bundle before its
// items move, so the edit cannot land on the item that took its place.
void end_item_edit(AppState& state, std::string_view bundle_id);

}  // namespace app
