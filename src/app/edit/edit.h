#pragma once
// Starting and ending the inline edit; what a committed text does to the
// bundles belongs to the editing operations.

#include <string_view>

#include "app/edit/inline_field_state.h"

namespace app {

struct AppState;

// Ends a running edit (committing it), then opens the field for `edit`.
void begin_edit(AppState& state, const ActiveEdit& edit, std::string_view initial_text, std::string_view cue);

// Ends the running edit: its text is committed (trimmed) or dropped.
void end_edit(AppState& state, bool commit);

// The field lost the keyboard focus, to another part of the window or, when
// `to_another_program`, to another program. A web address being entered
// stays, text and all, so that the user can fetch it from a browser; any
// other edit is committed.
void on_edit_field_left(AppState& state, bool to_another_program);

}  // namespace app
