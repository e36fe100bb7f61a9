#include "app/state/store_save.h"

#include "app/state/app_state.h"
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
  bool saved = false;
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
    saved = true;
  }
  // A hook may add another: only those there now run for this save.
  const std::size_t hooks = state.after_save.size();
  for (std::size_t i = 0; i < hooks; ++i) state.after_save[i](state, saved);
  state.redraw();
}

}  // namespace app
