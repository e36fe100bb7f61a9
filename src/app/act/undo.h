#pragma once
// The undo operation: takes back the last removal, deletion or options
// change, from the undo record (app/undo_record.h).

namespace app {

struct AppState;

// Restores the last removed item, deleted bundle or an item's options.
void undo(AppState& state);

}  // namespace app
