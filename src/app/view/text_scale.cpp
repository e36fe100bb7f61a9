#include "app/view/text_scale.h"

#include "app/state/app_state.h"

namespace app {

float text_scale_factor(std::optional<std::uint32_t> percent) {
  if (!percent || *percent < kTextScaleMinPercent || *percent > kTextScaleMaxPercent) return 1.0f;
  return static_cast<float>(*percent) / 100.0f;
}

bool follow_text_scale(AppState& state) {
  const float now = text_scale_factor(state.platform.text_scale_setting());
  if (now == state.text_scale) return false;
  state.text_scale = now;
  state.redraw();
  return true;
}

}  // namespace app
