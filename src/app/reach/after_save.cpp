#include "app/reach/after_save.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/reach/hotkeys.h"
#include "app/reach/sign_in.h"
#include "app/state/app_state.h"

namespace app {

void follow_saves(AppState& state) {
  // Every change of the store passes through a save: an edit, an undo, an
  // import, a deletion. A save that failed still changed what runs.
  state.after_save.emplace_back([](AppState& s, bool) { sync_hotkeys(s); });
  // A toggle, an undo, a deleted bundle or an import may have changed a mark;
  // the registry is read (and written when it says otherwise) only then, not
  // after a rename or a move. The marks are those the store had at the
  // previous save: the first save after the start looks once.
  state.after_save.emplace_back([marks = std::optional<std::vector<std::string>>()](AppState& s,
                                                                                    bool written) mutable {
    if (!written) return;
    std::vector<std::string> now = sign_in_marks(s.store);
    if (marks == now) return;
    marks = std::move(now);
    bring_run_value_up_to_date(s);
    // A value that could not be written is tried again at the next save.
    if (s.run_value_failure) marks.reset();
  });
  state.after_save.emplace_back(
      [](AppState& s, bool) { s.platform.set_timer(TimerId::jump_list, kJumpListDelayMs); });
}

}  // namespace app
