#pragma once

#include <string>

#include "app/undo_record.h"

namespace app {

struct AppState;

// The message strip at the bottom of the window; a new toast replaces the old.
struct Toast {
  std::string text;        // already in the current language
  double shown_at = 0;     // monotonic seconds
  bool has_undo = false;
};

// How long a toast stays: timer 1 fires after this time and ends it.
inline constexpr unsigned kToastPlainMs = 4000;
inline constexpr unsigned kToastUndoMs = 7000;
// A timer that fires up to this much early still ends the toast.
inline constexpr double kToastTimerSlackSeconds = 0.1;

// Raises a plain toast for kToastPlainMs.
void show_toast(AppState& state, std::string text);
// Stores the undo record (replacing the last one), then raises a toast with the
// Undo button for kToastUndoMs.
void show_undo_toast(AppState& state, Undo undo, std::string text);

// Timer 1: ends the toast once its time, less the slack, is over.
void toast_timer(AppState& state);

}  // namespace app
