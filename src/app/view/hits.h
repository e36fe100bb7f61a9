#pragma once
// Which region of the view lies under a point, and where a file drag would drop.
// Defined in hits.cpp.

#include <optional>

#include "app/state/app_state.h"
#include "app/state/region.h"
#include "app/view/layout.h"

namespace app {

// The region under client point (x, y), first match wins: the toast's Undo
// button, the settings button, nothing above the top strip, then the sidebar
// (New bundle, the rows and their Open buttons below the list top), the
// selected bundle's column (Open, more, name, add buttons, and the item rows
// and their remove buttons below the list top less 6s), and "Create your
// first bundle" when there are no bundles.
Region hit_test(const ViewLayout& layout, const AppState& state, float x, float y);

// The target of files dragged over (x, y): a new bundle when there are no
// bundles, the sidebar row under the point, else the selected bundle; none
// when nothing is selected (the drag is refused).
std::optional<AppState::DropTarget> drop_target_at(const ViewLayout& layout, const AppState& state, float x,
                                                   float y);

}  // namespace app
