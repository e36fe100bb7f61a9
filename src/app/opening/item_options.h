#pragma once
// The rules behind the item "Options…" dialog: which options an item of each
// kind takes, the seconds fields as typed, and a chosen set of options put
// into the store with Undo. The dialog itself is the platform's.
// Defined in item_options.cpp.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "bundle/model.h"

namespace app {

struct AppState;

// The options an item of a kind can use; the dialog greys the others.
struct ApplicableOptions {
  bool delay = true;
  bool wait = false;        // apps and documents: they have a process to wait for
  bool if_running = false;  // apps and folders: their running copy can be found
  bool window = true;       // not for web addresses: the browser decides
  bool admin = false;       // apps
  bool dir = false;         // apps
  bool keep_open = true;
};
ApplicableOptions applicable_options(bundle::Kind kind);

// The dialog's controls as the user left them: the seconds fields as typed.
struct OptionsForm {
  std::string delay;
  bool wait = false;
  std::string wait_seconds;
  bundle::IfRunning if_running = bundle::IfRunning::start_another;
  bundle::WindowState window = bundle::WindowState::normal;
  bool admin = false;
  std::string dir;
  bool keep_open = false;
};

// `decimal` is the user's decimal sign; "." is understood as well.
OptionsForm options_form(const bundle::ItemOptions& options, std::string_view decimal);
// The seconds a newly ticked "wait until its window is ready" shows.
std::string default_wait_text(std::string_view decimal);

// A field that holds no number in its range, and the text that says so.
enum class OptionsField { delay, wait };
struct FormError {
  OptionsField field = OptionsField::delay;
  std::string text;
};
// The options the form stands for, for an item of `kind`: options that kind
// cannot use keep their defaults. An empty delay is no delay.
base::Result<bundle::ItemOptions, FormError> read_options_form(const OptionsForm& form, bundle::Kind kind,
                                                               std::string_view decimal);

// Seconds as typed: digits with at most one decimal sign, "." or the user's
// (" 2.5 ", "2,5"); none for anything else (signs, exponents, letters, blank).
std::optional<double> parse_seconds(std::string_view text, std::string_view decimal);
std::string format_seconds(double seconds, std::string_view decimal);
// "Enter a number of seconds from 0 to 600": a seconds field out of its range.
std::string seconds_range_text(double low, double high);

// "Options…" of item `index` of the bundle `bundle_id`: the dialog, then the
// chosen options put into that item, if it is still the one the menu was for.
void edit_item_options(AppState& state, const std::string& bundle_id, std::size_t index, const bundle::Item& shown);
// Puts `options` into the item at `index` whose target is still `target`;
// saves and offers Undo when anything changed.
void apply_item_options(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view target,
                        const bundle::ItemOptions& options);

}  // namespace app
