#pragma once
// The undo operation: takes back the last removal or deletion, from the undo
// record (app/undo_record.h).

namespace app {

struct AppState;

// Restores the last removed item or deleted bundle.
void undo(AppState& state);

}  // namespace app
