#include "app/input/toast_action.h"

#include "app/bundles/undo.h"
#include "app/opening/open.h"
#include "app/state/app_state.h"

namespace app {

void run_toast_action(AppState& state) {
  if (!state.toast) return;
  switch (state.toast->action) {
    case ToastAction::undo: undo(state); break;
    case ToastAction::retry: retry_open(state); break;
    case ToastAction::none: break;
  }
}

}  // namespace app
