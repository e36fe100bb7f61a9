#pragma once
// The undo operation: takes back the last removal, deletion, options change
// or sign-in mark, from the undo record (app/state/undo_record.h).
// Defined in undo.cpp.

namespace app {

struct AppState;

// Restores the last removed item, deleted bundle, an item's options or a
// bundle's opening at sign-in.
void undo(AppState& state);

}  // namespace app
