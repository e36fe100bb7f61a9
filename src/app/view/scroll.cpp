#include "app/view/scroll.h"

#include <algorithm>
#include <limits>

#include "app/state/app_state.h"
#include "app/view/layout.h"

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

void scroll_item_into_view(AppState& state, std::size_t index) {
  const ViewLayout layout = layout_view(state, state.platform.text_measure());
  const std::optional<gfx::RectF> row = item_row_rect(layout, index);
  if (!row || !layout.content) return;
  const float top = layout.content->list_top;
  float scroll = layout.content_scroll;
  if (row->y < top) {
    scroll -= top - row->y;
  } else if (row->bottom() > layout.height) {
    // A view shorter than a row shows its top.
    scroll += std::min(row->bottom() - layout.height, row->y - top);
  }
  if (scroll == layout.content_scroll) return;
  state.content_scroll = std::clamp(scroll, 0.0f, layout.content_max_scroll);
  state.redraw();
}

}  // namespace app
