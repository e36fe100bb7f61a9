#pragma once
// Adding items to a bundle (add_items.cpp).

#include <cstddef>
#include <optional>
#include <vector>

#include "bundle/model.h"

namespace app {

struct AppState;

// Adds classified items to the bundle at `target`, skipping duplicates; a
// missing or out-of-range target makes a new bundle.
void add_items(AppState& state, std::optional<std::size_t> target, std::vector<bundle::Item> items);

}  // namespace app
