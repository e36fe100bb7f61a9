#pragma once
// Removing an item and deleting a bundle, each with Undo (remove_delete.cpp).

#include <cstddef>

namespace app {

struct AppState;

// Removes an item of the selected bundle (with Undo).
void remove_item(AppState& state, std::size_t index);
// Deletes a bundle (with Undo).
void delete_bundle(AppState& state, std::size_t index);

}  // namespace app
