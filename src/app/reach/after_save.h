#pragma once
// What follows a save of the store (after_save.cpp): the features that keep
// something outside the store in step with it.

namespace app {

struct AppState;

// Adds the after-save hooks to the state, once, before its first save: the
// bundles' hotkeys are registered again; the Run value follows the marks
// when the file was written and the marks changed; the jump list is rebuilt a
// little later.
void follow_saves(AppState& state);

}  // namespace app
