#pragma once

#include <string>

#include "app/undo.h"

namespace app {

struct AppState;

// The message strip at the bottom of the window; a new toast replaces the old.
struct Toast {
  std::string text;        // already in the current language
  double shown_at = 0;     // monotonic seconds
  bool has_undo = false;
};

// Raises a plain toast for 4 s.
void show_toast(AppState& state, std::string text);
// Stores the undo record (replacing the last one), then raises a toast with the
// Undo button for 7 s.
void show_undo_toast(AppState& state, Undo undo, std::string text);

// Timer 1: ends the toast once its time (3 s, 6 s with Undo, plus 0.9 s slack) is over.
void toast_timer(AppState& state);

}  // namespace app
