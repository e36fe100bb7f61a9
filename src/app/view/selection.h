#pragma once
// What the view reads of the selection (selection.cpp); changing it is
// app/bundles/select.h.

#include <cstddef>
#include <optional>
#include <vector>

namespace app {

struct AppState;

// Scrolls the sidebar so that the selected bundle's row is wholly in view.
void scroll_selected_row_into_view(AppState& state);

// Positions of the bundles the sidebar shows for the search text, in store order.
std::vector<std::size_t> visible_bundles(const AppState& state);

// Starts the background check of which targets of the selected bundle exist.
void check_targets(AppState& state);

}  // namespace app
