#pragma once
// The toast: the one line that says what happened (toast.cpp). What its
// button does is the input's (app/input/toast_action.h).

#include <cstdint>
#include <string>

#include "app/state/undo_record.h"

namespace app {

struct AppState;

// What the toast's one button does: Undo takes back the last removal
// (AppState::undo), Retry opens again what the last opening could not
// (AppState::retry).
enum class ToastAction : std::uint8_t { none, undo, retry };

// The message strip at the bottom of the window; a new toast replaces the old.
struct Toast {
  std::string text;        // already in the current language
  double shown_at = 0;     // monotonic seconds
  ToastAction action = ToastAction::none;

  bool has_undo() const { return action == ToastAction::undo; }
};

// How long a toast stays: timer 1 fires after this time and ends it. One
// with a button stays longer, to give time to reach it.
inline constexpr unsigned kToastPlainMs = 4000;
inline constexpr unsigned kToastUndoMs = 7000;
inline constexpr unsigned kToastActionMs = kToastUndoMs;
// A timer that fires up to this much early still ends the toast.
inline constexpr double kToastTimerSlackSeconds = 0.1;

// Raises a plain toast for kToastPlainMs.
void show_toast(AppState& state, std::string text);
// Stores the undo record (replacing the last one), then raises a toast with the
// Undo button for kToastUndoMs.
void show_undo_toast(AppState& state, Undo undo, std::string text);
// Raises a toast with the Retry button for kToastActionMs; the retry record
// is set by the caller.
void show_retry_toast(AppState& state, std::string text);

// Timer 1: ends the toast once its time, less the slack, is over.
void toast_timer(AppState& state);

}  // namespace app
