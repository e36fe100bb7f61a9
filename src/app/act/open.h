#pragma once
// Opening a bundle: every item started through the shell, in order and 150 ms
// apart, then one summary line of what opened, what was missing, what failed.

#include <cstddef>
#include <string>
#include <vector>

#include "app/mailbox.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

struct AppState;

struct OpenResult {
  std::vector<std::size_t> missing;  // positions whose target did not exist
  std::vector<std::size_t> failed;   // positions whose start failed
  std::size_t opened = 0;

  bool operator==(const OpenResult&) const = default;
};

// What opening needs from the system; the shell on Windows, a fake in tests.
class Opener {
 public:
  virtual ~Opener() = default;
  virtual bool target_exists(const std::string& target) = 0;
  virtual base::Status start(const bundle::Item& item) = 0;
  // The pause before every start but the first.
  virtual void wait_between_starts() = 0;
};

// Blocking: checks and starts each item in list order.
OpenResult open_items(const std::vector<bundle::Item>& items, Opener& opener);

// "Opened 2 · 1 not found (report)" and its translations.
std::string open_summary(const std::vector<bundle::Item>& items, const OpenResult& result);

// What the opening worker hands back to the window.
struct OpenOutcome {
  std::vector<bundle::Item> items;
  std::string bundle_id;
  OpenResult result;
};
Mailbox<OpenOutcome>& open_results();

// UI thread: starts the opening worker for the bundle at a store position.
void open_bundle(AppState& state, std::size_t index);
// UI thread, on "open finished": missing marks and the summary toast.
void finish_open(AppState& state, const OpenOutcome& outcome);
// UI thread: opens one item of the selected bundle directly.
void open_single_item(AppState& state, std::size_t index);

}  // namespace app
