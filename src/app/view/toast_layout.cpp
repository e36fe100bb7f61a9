#include "app/view/toast_layout.h"

#include <algorithm>
#include <cmath>

#include "app/state/app_state.h"
#include "app/view/view_text.h"
#include "gfx/text_measure.h"
#include "gfx/view_scale.h"

namespace app {

std::optional<ToastLayout> toast_layout(const AppState& state, gfx::TextMeasure* measure) {
  if (!state.toast || !measure) return std::nullopt;
  const float s = gfx::view_scale(state.dpi);
  // Heights hold text, so they follow Windows' text size; widths and margins do not.
  const float t = s * state.text_scale;
  const float W = state.client_width;
  const float H = state.client_height;

  const ToastAction action = state.toast->action;
  const std::string_view label = action == ToastAction::undo    ? view_text::undo()
                                 : action == ToastAction::retry ? view_text::retry()
                                                                : std::string_view();
  const float undo_width =
      action != ToastAction::none ? measure->line_width(label, gfx::TextFormat::body_bold) + 28 * s : 0;
  const float text_width = measure->line_width(state.toast->text, gfx::TextFormat::body);
  // Never wider than the window less 16s on each side (nor narrower than nothing).
  const float w = std::max(0.0f, std::min(36 * s + text_width + undo_width, W - 32 * s));
  const float x = std::round((W - w) / 2);
  const float h = 40 * t;
  const float y = H - 26 * s - h;

  ToastLayout layout;
  layout.bar = {x, y, w, h};
  if (action != ToastAction::none) {
    const float button_height = 30 * t;
    const gfx::RectF undo{x + w - undo_width - 6 * s, y + (h - button_height) / 2, undo_width, button_height};
    layout.action = undo;
    layout.action_label = label;
    layout.text = {x + 18 * s, y, std::max(0.0f, (undo.x - x) - 22 * s), h};
    layout.text_centred = false;
  } else {
    layout.text = {x + 18 * s, y, std::max(0.0f, w - 32 * s), h};
    layout.text_centred = true;
  }
  return layout;
}

}  // namespace app
