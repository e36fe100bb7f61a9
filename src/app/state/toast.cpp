#include "app/state/toast.h"

#include <utility>

#include "app/state/app_state.h"

namespace app {
namespace {

// While the store is not being saved every toast says so first, so that no
// "Added…" or "Removed…" reads as done.
std::string with_save_failure(const AppState& state, std::string text) {
  if (!state.save_failure) return text;
  if (text.empty()) return *state.save_failure;
  return *state.save_failure + " · " + text;
}

unsigned shown_ms(ToastAction action) { return action == ToastAction::none ? kToastPlainMs : kToastActionMs; }

void raise(AppState& state, std::string text, ToastAction action) {
  // A hidden window's toast would go unseen and be gone when it is shown:
  // the icon says it instead. Its button has no place there.
  if (state.platform.window_hidden()) {
    state.platform.show_balloon(with_save_failure(state, std::move(text)));
    return;
  }
  state.toast = Toast{with_save_failure(state, std::move(text)), state.platform.monotonic_seconds(), action};
  state.platform.set_timer(TimerId::toast, shown_ms(action));
  state.redraw();
}

}  // namespace

void show_toast(AppState& state, std::string text) { raise(state, std::move(text), ToastAction::none); }

void show_undo_toast(AppState& state, Undo undo, std::string text) {
  state.undo = std::move(undo);
  raise(state, std::move(text), ToastAction::undo);
}

void show_retry_toast(AppState& state, std::string text) { raise(state, std::move(text), ToastAction::retry); }

void toast_timer(AppState& state) {
  if (!state.toast) return;
  const double limit = shown_ms(state.toast->action) / 1000.0 - kToastTimerSlackSeconds;
  if (state.platform.monotonic_seconds() - state.toast->shown_at >= limit) {
    state.toast.reset();
    state.redraw();
  }
}

}  // namespace app
