#include "app/input/drop.h"

#include "app/bundles/add_input.h"
#include "app/state/app_state.h"
#include "app/view/hits.h"
#include "app/view/layout.h"

namespace app {
namespace {

std::optional<AppState::DropTarget> target_at(const AppState& state, float x, float y) {
  return drop_target_at(layout_view(state, state.platform.text_measure()), state, x, y);
}

bool same_target(const std::optional<AppState::DropTarget>& a, const std::optional<AppState::DropTarget>& b) {
  return a.has_value() == b.has_value() && (!a || a->bundle == b->bundle);
}

}  // namespace

bool drag_over(AppState& state, float x, float y) {
  const std::optional<AppState::DropTarget> target = target_at(state, x, y);
  if (!same_target(target, state.drop_target)) {
    state.drop_target = target;
    state.redraw();
  }
  return target.has_value();
}

void drag_leave(AppState& state) {
  if (!state.drop_target) return;
  state.drop_target.reset();
  state.redraw();
}

void drop(AppState& state, float x, float y, const detect::DropPayload& payload) {
  const std::optional<AppState::DropTarget> target = target_at(state, x, y);
  drag_leave(state);
  add_input(state, target ? target->bundle : std::nullopt, payload);
  state.platform.bring_to_front();
}

}  // namespace app
