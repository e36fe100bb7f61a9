#pragma once
// Our colours as GDI's COLORREF and back: for what Windows draws itself (the
// text fields, the dialogs, a list view) and for the system's colours.

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "gfx/palette.h"

namespace gfx {

// Each channel to the nearest byte, out-of-range values clamped; GDI has no
// alpha, so it is left out.
inline COLORREF colorref(const Color& color) {
  auto byte = [](float channel) { return static_cast<BYTE>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f)); };
  return RGB(byte(color.r), byte(color.g), byte(color.b));
}

// A COLORREF (GetSysColor's answer) as an opaque colour.
inline Color color_of(COLORREF value) {
  return {static_cast<float>(GetRValue(value)) / 255.0f, static_cast<float>(GetGValue(value)) / 255.0f,
          static_cast<float>(GetBValue(value)) / 255.0f, 1.0f};
}

}  // namespace gfx
