#pragma once
// Where the toast is drawn: a bar at the bottom centre of the window with an
// optional Undo button at its right end.

#include <optional>

#include "gfx/geometry.h"

namespace gfx {
class TextMeasure;
}

namespace app {

struct AppState;

struct ToastLayout {
  gfx::RectF bar;
  gfx::RectF text;                // centred without Undo, left-aligned with it
  bool text_centred = true;
  std::optional<gfx::RectF> undo;  // the Undo button (hit kind 14)
};

// None without a toast, or without text measurement (no rendering context).
std::optional<ToastLayout> toast_layout(const AppState& state, gfx::TextMeasure* measure);

}  // namespace app
