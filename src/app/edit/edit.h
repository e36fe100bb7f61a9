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

}  // namespace app
