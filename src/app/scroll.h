#pragma once
// Scroll requests of the editing operations; the view clamps them to its
// maxima when it lays itself out.

namespace app {

struct AppState;

// Brings the end of the selected bundle's item list into view.
void scroll_items_to_end(AppState& state);
// Keeps the item list's offset within [0, its maximum].
void clamp_item_scroll(AppState& state);

}  // namespace app
