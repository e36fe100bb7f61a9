#pragma once
// Changing the selection (select.cpp): a running edit belongs to the bundle on
// show, so it is committed first.

#include <cstddef>
#include <optional>

namespace app {

struct AppState;

// Selects the bundle at a store position (none, or a position past the end,
// selects nothing), remembers it in "Selected" and starts the target check.
void select_bundle(AppState& state, std::optional<std::size_t> index);

// Selects the bundle at `index` as a new selection even when that position was
// selected before: a bundle inserted there is another bundle, so the item
// selection, the scroll offset and the missing marks must start afresh.
void select_inserted_bundle(AppState& state, std::size_t index);

// Moves the selection by -1 or +1 within the visible bundles.
void move_selection(AppState& state, int delta);

}  // namespace app
