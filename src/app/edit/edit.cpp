#include "app/edit/edit.h"

#include <utility>

#include "app/state/app_state.h"

namespace app {

bool open_edit(AppState& state, const ActiveEdit& edit, std::string_view initial_text, std::string_view cue) {
  // The field is placed from the running edit, so the edit is recorded first.
  state.edit = edit;
  if (!state.platform.open_edit_field(edit, initial_text, cue)) {
    state.edit.reset();
    return false;
  }
  state.redraw();
  return true;
}

std::optional<TakenEdit> take_edit(AppState& state) {
  if (!state.edit) return std::nullopt;
  TakenEdit taken{*state.edit, {}};
  state.edit.reset();
  taken.text = state.platform.close_edit_field();
  return taken;
}

}  // namespace app
