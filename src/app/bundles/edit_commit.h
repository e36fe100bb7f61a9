#pragma once
// Ending the inline edit (edit_commit.cpp): a committed text is a change to
// the bundles like any other, saved at once. Every bundle change that could
// move or remove what an edit is on ends the edit first; the editor's field
// itself (app/edit/edit.h) knows nothing of what its text becomes.

#include <cstddef>
#include <string_view>

#include "app/state/inline_field_state.h"

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

// Commits a running item-name or item-arguments edit of the bundle before its
// items move, so the edit cannot land on the item that took its place.
void end_item_edit(AppState& state, std::string_view bundle_id);

// Commits from the inline editor, by the bundle's id.
void commit_bundle_name(AppState& state, std::string_view bundle_id, std::string_view text);
void commit_item_name(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view text);
void commit_args(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view text);

}  // namespace app
