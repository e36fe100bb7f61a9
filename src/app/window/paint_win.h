#pragma once
// Drawing the main view: every frame from the application state, from the
// sidebar to the toast, which is drawn last over everything.
// Defined in paint_win.cpp.

#include "app/view/layout.h"
#include "app/window/icon_cache_win.h"

namespace gfx {
class Gfx;
}

namespace app {

struct AppState;

// Lays the view out with the rendering context's text measurements, keeps the
// scroll offsets within their maxima, and draws it. Call between
// Gfx::begin_frame (cleared with the palette's background) and Gfx::end_frame.
// Returns the layout that was drawn.
ViewLayout paint_view(gfx::Gfx& gfx, AppState& state, IconCache& icons);

// Draws a layout made by layout_view(state, &gfx) for the same state. Icons of
// the item rows on screen that are not cached yet are asked from the shell.
void paint_layout(gfx::Gfx& gfx, const AppState& state, const ViewLayout& layout, IconCache& icons);

}  // namespace app
