#include "app/reach/after_save.h"

#include "app/reach/hotkeys.h"
#include "app/reach/sign_in.h"
#include "app/state/app_state.h"

namespace app {

void follow_saves(AppState& state) {
  // Every change of the store passes through a save: an edit, an undo, an
  // import, a deletion. A save that failed still changed what runs.
  state.after_save.emplace_back([](AppState& s, bool) { sync_hotkeys(s); });
  state.after_save.emplace_back([](AppState& s, bool written) {
    // A toggle, an undo, a deleted bundle or an import may have changed a mark.
    if (written) bring_run_value_up_to_date(s);
  });
  state.after_save.emplace_back(
      [](AppState& s, bool) { s.platform.set_timer(TimerId::jump_list, kJumpListDelayMs); });
}

}  // namespace app
