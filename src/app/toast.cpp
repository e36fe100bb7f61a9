#include "app/toast.h"

#include <utility>

#include "app/app_state.h"

namespace app {
namespace {

// While the store is not being saved every toast says so first, so that no
// "Added…" or "Removed…" reads as done.
std::string with_save_failure(const AppState& state, std::string text) {
  if (!state.save_failure) return text;
  if (text.empty()) return *state.save_failure;
  return *state.save_failure + " · " + text;
}

void raise(AppState& state, std::string text, bool has_undo) {
  state.toast = Toast{with_save_failure(state, std::move(text)), state.platform.monotonic_seconds(), has_undo};
  state.platform.set_timer(TimerId::toast, has_undo ? kToastUndoMs : kToastPlainMs);
  state.redraw();
}

}  // namespace

void show_toast(AppState& state, std::string text) { raise(state, std::move(text), false); }

void show_undo_toast(AppState& state, Undo undo, std::string text) {
  state.undo = std::move(undo);
  raise(state, std::move(text), true);
}

void toast_timer(AppState& state) {
  if (!state.toast) return;
  const unsigned shown_ms = state.toast->has_undo ? kToastUndoMs : kToastPlainMs;
  const double limit = shown_ms / 1000.0 - kToastTimerSlackSeconds;
  if (state.platform.monotonic_seconds() - state.toast->shown_at >= limit) {
    state.toast.reset();
    state.redraw();
  }
}

}  // namespace app
