#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace app {

struct AppState;

// Selects the bundle at a store position (none, or a position past the end,
// selects nothing), remembers it in "Selected" and starts the target check.
void select_bundle(AppState& state, std::optional<std::size_t> index);

// Scrolls the sidebar so that the selected bundle's row is wholly in view.
void scroll_selected_row_into_view(AppState& state);

// Positions of the bundles the sidebar shows for the search text, in store order.
std::vector<std::size_t> visible_bundles(const AppState& state);

// Moves the selection by -1 or +1 within the visible bundles.
void move_selection(AppState& state, int delta);

// Starts the background check of which targets of the selected bundle exist.
void check_targets(AppState& state);

}  // namespace app
