#pragma once
// Which colours the view draws with: the light or dark palette, or the
// system's colours while a high-contrast theme is on.
// Defined in colours.cpp.

#include "app/state/app_state.h"
#include "gfx/palette.h"

namespace app {

gfx::Palette view_palette(const AppState& state);

// Asks the platform whether high contrast is on and with which colours;
// true when that changed what the view draws with (the view is redrawn).
bool follow_high_contrast(AppState& state);

}  // namespace app
