#pragma once
// Moving an item within its bundle (move_item.cpp).

#include <cstddef>

namespace app {

struct AppState;

// Moves an item of the selected bundle so that it ends at position `to`.
void move_item(AppState& state, std::size_t from, std::size_t to);

}  // namespace app
