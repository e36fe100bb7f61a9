#pragma once
// Scroll requests of the editing operations; the view clamps them to its
// maxima when it lays itself out.
// Defined in scroll.cpp.

#include <cstddef>

namespace app {

struct AppState;

// Brings the end of the selected bundle's item list into view.
void scroll_items_to_end(AppState& state);
// Keeps the item list's offset within [0, its maximum].
void clamp_item_scroll(AppState& state);
// Scrolls the item list so that the selected bundle's item at `index` is
// wholly in view below the header.
void scroll_item_into_view(AppState& state, std::size_t index);

}  // namespace app
