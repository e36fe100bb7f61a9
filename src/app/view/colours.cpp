#include "app/view/colours.h"

namespace app {
namespace {

bool same(const gfx::Color& a, const gfx::Color& b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

bool same(const gfx::SystemColours& a, const gfx::SystemColours& b) {
  return same(a.window, b.window) && same(a.window_text, b.window_text) && same(a.highlight, b.highlight) &&
         same(a.highlight_text, b.highlight_text) && same(a.button_face, b.button_face) &&
         same(a.button_text, b.button_text) && same(a.gray_text, b.gray_text) && same(a.hot_light, b.hot_light);
}

}  // namespace

gfx::Palette view_palette(const AppState& state) {
  return gfx::view_palette(state.dark, state.high_contrast ? &*state.high_contrast : nullptr);
}

bool follow_high_contrast(AppState& state) {
  std::optional<gfx::SystemColours> now = state.platform.high_contrast_colours();
  const bool changed = now.has_value() != state.high_contrast.has_value() ||
                       (now && !same(*now, *state.high_contrast));
  if (!changed) return false;
  state.high_contrast = now;
  state.redraw();
  return true;
}

}  // namespace app
