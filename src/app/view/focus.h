#pragma once
// The keyboard focus inside the view: which elements Tab stops at and in
// which order, where the arrows and Home/End take it within one group of
// elements, and where it goes when what it rested on is gone. Everything here
// reads the layout of the frame and changes nothing; keyboard.cpp acts on it.
//
// The groups, in reading order: the ☰ button, "New bundle", the search box
// (when shown), the bundle list, the bundle's name, its Open and more buttons,
// the four add buttons, the item list, and "Create your first bundle" when
// there are no bundles. The toast's button is reached with F6 only.
// Defined in focus.cpp.

#include <optional>
#include <vector>

#include "app/state/region.h"
#include "gfx/geometry.h"

namespace app {

struct AppState;
struct ViewLayout;

// A move inside the focused group.
enum class FocusStep { previous, next, first, last };

// The element each group on screen takes the focus to when Tab enters it, in
// Tab order: a list's selected row, else its first.
std::vector<Region> focus_stops(const ViewLayout& layout, const AppState& state);

// The stop after (`forward`) or before the group of `from`, round the end;
// from none, the first or the last stop.
Region next_focus_stop(const ViewLayout& layout, const AppState& state, std::optional<Region> from, bool forward);

// The element `step` reaches inside the group of `from` (a row of a list, a
// button of a button row); none when the group has nowhere else to go.
std::optional<Region> focus_step(const ViewLayout& layout, const AppState& state, Region from, FocusStep step);

// The focus with what it rests on checked against the view: a list row
// follows the selection, and an element that is no longer shown gives way to
// the nearest group before it that is (the toast's button to where the focus
// was before it, `before_toast`).
std::optional<Region> repaired_focus(const ViewLayout& layout, const AppState& state, std::optional<Region> focus,
                                     std::optional<Region> before_toast = std::nullopt);

// Where the focused element is drawn; none when it is scrolled off the view
// or partly under the buttons and header the lists scroll beneath.
std::optional<gfx::RectF> focus_rect(const ViewLayout& layout, const AppState& state, Region focus);

}  // namespace app
