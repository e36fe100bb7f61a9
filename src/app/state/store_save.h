#pragma once
// Saving the store (store_save.cpp): every change to the bundles ends here.

namespace app {

struct AppState;

// Saves the whole store at once; a failure is shown as a toast, stays in
// every toast until a save succeeds, and the change stays in memory. A drag
// in progress ends: the items it was moving among have changed. Then the
// state's after-save hooks run, in the order they were added (what other
// features keep in step with the store: see app/reach/after_save.h).
void save_store(AppState& state);

// Ends an item drag without moving anything; the press that started it is
// spent, so its release is no click either.
void cancel_item_drag(AppState& state);

}  // namespace app
