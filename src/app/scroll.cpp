#include "app/scroll.h"

#include <algorithm>
#include <limits>

#include "app/app_state.h"

namespace app {

void scroll_items_to_end(AppState& state) {
  // The furthest offset; laying out the view clamps it to the list's maximum.
  state.content_scroll = std::numeric_limits<float>::max();
  state.redraw();
}

void clamp_item_scroll(AppState& state) {
  state.content_scroll = std::max(state.content_scroll, 0.0f);
  state.redraw();
}

}  // namespace app
