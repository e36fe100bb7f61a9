#include "app/state/app_state.h"
#include "app/reach/sign_in.h"
#include "app/reach/hotkeys.h"
#include "app/state/store_start.h"
#include "bundle/atomic_write.h"
#include "bundle/store_file.h"
#include "lang/lang.h"

namespace app {

void cancel_item_drag(AppState& state) {
  if (!state.item_drag) return;
  state.item_drag.reset();
  state.pressed = {};
  state.redraw();
}

void save_store(AppState& state) {
  state.view_cache.store_changed();
  cancel_item_drag(state);
  if (!release_store_hold(state)) {
    state.save_failure = state.store_hold->text;
    show_toast(state, {});
  } else if (base::Status written =
                 bundle::write_file_atomically(state.store_path, bundle::serialize_store(state.store));
             !written) {
    state.save_failure = std::string(lang::text("저장하지 못했습니다:", "Couldn't save:")) + " " + written.error().text;
    show_toast(state, {});
  } else {
    state.save_failure.reset();
    // Any save may have changed a mark: a toggle, an undo, a deleted bundle, an import.
    bring_run_value_up_to_date(state);
  }
  // Every change of the store passes here: an edit, an undo, an import, a deletion.
  sync_hotkeys(state);
  state.platform.set_timer(TimerId::jump_list, kJumpListDelayMs);
  state.redraw();
}

}  // namespace app
