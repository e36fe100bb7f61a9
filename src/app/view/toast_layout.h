#pragma once
// Where the toast is drawn: a bar at the bottom centre of the window with an
// optional button (Undo, Retry) at its right end.
// Defined in toast_layout.cpp.

#include <optional>
#include <string_view>

#include "gfx/geometry.h"

namespace gfx {
class TextMeasure;
}

namespace app {

struct AppState;

struct ToastLayout {
  gfx::RectF bar;
  gfx::RectF text;                  // centred without a button, left-aligned with one
  bool text_centred = true;
  std::optional<gfx::RectF> action;  // the button (hit kind 14)
  std::string_view action_label;     // "Undo" or "Retry"
};

// None without a toast, or without text measurement (no rendering context).
std::optional<ToastLayout> toast_layout(const AppState& state, gfx::TextMeasure* measure);

}  // namespace app
