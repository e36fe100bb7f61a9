#pragma once
// The pointer on the main view: hover, press and click, item reordering by
// drag, double-click, right-click and the wheel. Points are client pixels.
// Defined in mouse.cpp.

#include "app/state/region.h"

namespace app {

struct AppState;

void on_mouse_move(AppState& state, float x, float y, bool left_button_down);
void on_left_button_down(AppState& state, float x, float y);
void on_left_button_up(AppState& state, float x, float y);
void on_double_click(AppState& state, float x, float y);
void on_right_button_up(AppState& state, float x, float y);
// `delta` as WM_MOUSEWHEEL gives it (120 a notch, positive away from the user).
void on_wheel(AppState& state, float x, float y, int delta);
// The capture went to another window: an item drag ends without moving anything.
void on_capture_lost(AppState& state);
void on_mouse_leave(AppState& state);

// What a click (press and release on the same region) does.
void dispatch_click(AppState& state, Region pressed, float x, float y);

}  // namespace app
