#pragma once
// The inline editor's field (edit.cpp): opening it for an edit and taking the
// edit back with what was typed. What a committed text does to the bundles is
// the bundle changes' (app/bundles/edit_commit.h), which end an edit before
// they change what it is on.

#include <optional>
#include <string>
#include <string_view>

#include "app/state/inline_field_state.h"

namespace app {

struct AppState;

// Opens the field for `edit` with its text selected and the focus; no other
// edit may be running (end it first). False when the field cannot be made.
bool open_edit(AppState& state, const ActiveEdit& edit, std::string_view initial_text, std::string_view cue);

// The running edit and the field's text, the field gone; none without one.
struct TakenEdit {
  ActiveEdit edit;
  std::string text;
};
std::optional<TakenEdit> take_edit(AppState& state);

}  // namespace app
