#pragma once
// Files and web addresses dragged onto the window from other programs.
// Defined in drop.cpp.

#include "detect/detect.h"

namespace app {

struct AppState;

// The pointer of a drag is at a client point: the bundle it would land on is
// highlighted; false when nothing would take a drop there.
bool drag_over(AppState& state, float x, float y);
// The drag left the window or ended: no highlight.
void drag_leave(AppState& state);
// What was dropped at a client point goes to that bundle (or a new one).
void drop(AppState& state, float x, float y, const detect::DropPayload& payload);

}  // namespace app
