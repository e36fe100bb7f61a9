#pragma once
// Opening a bundle: every item started through the shell, in order and 150 ms
// apart, then one summary line of what opened, what was missing, what failed.
// Defined in open.cpp.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/opening/opener.h"
#include "app/state/mailbox.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

struct AppState;
struct OpenFailure;

// Blocking: checks and starts each item in list order, with its options: its
// delay (else 150 ms between starts, none before the first), what to do when it
// already runs, the wait for its window. The first "run as administrator" app
// hands every such app of the list to one elevated helper and the opening
// goes on once that has answered. Stop leaves the rest stopped. Targets and
// "start in" folders are expanded first unless `expand` is false (the helper
// gets them expanded already, by the account that asked).
OpenResult open_items(const std::vector<bundle::Item>& items, Opener& opener, bool expand = true);

// An item as it is opened: environment variables in its target (not a web
// address's) and its "start in" folder expanded; arguments stay as written.
bundle::Item expanded_item(const bundle::Item& item);

// "Opened 2 · 1 not found (report)" and its translations: what opened, then
// what went wrong, most important first, then what was stopped or skipped.
std::string open_summary(const std::vector<bundle::Item>& items, const OpenResult& result);
// "a, b" or "a, b and 3 more": the labels a summary names in its brackets.
std::string first_labels(const std::vector<std::string>& labels);
// One line per item that failed to start, with the system's text:
// "report.xlsx: Access is denied."; empty when none did.
std::string failure_details(const std::vector<bundle::Item>& items, const OpenResult& result);

// What the opening worker hands back to the window.
struct OpenOutcome {
  std::vector<bundle::Item> items;
  std::string bundle_id;
  OpenResult result;
  // Why the worker itself failed before the end; what it did is then unknown.
  std::optional<std::string> failure;
};
Mailbox<OpenOutcome>& open_results();

// UI thread: starts the opening worker for the bundle at a store position.
void open_bundle(AppState& state, std::size_t index);
// UI thread: the bundle's Open button (and Enter): opens it, or asks its
// running opening to stop.
void open_or_stop(AppState& state, std::size_t index);
// UI thread: asks the running opening to start nothing more.
void stop_opening(AppState& state);
// UI thread, after each item of the running opening.
void open_progress(AppState& state, std::size_t done, std::size_t total);
// UI thread, on "open finished": the missing and failure marks of the opened
// items, and the summary toast, with Retry when something failed; a worker
// that failed is told in the toast and leaves the marks as they were.
void finish_open(AppState& state, const OpenOutcome& outcome);
// UI thread: the toast's Retry: opens again the items the last opening could
// not, as they are in the bundle now.
void retry_open(AppState& state);
// UI thread: opens one item of the selected bundle directly; one that runs
// as administrator goes through the opening worker and its helper.
void open_single_item(AppState& state, std::size_t index);

}  // namespace app
