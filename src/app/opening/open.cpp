#include "app/opening/open.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "app/bundles/edit_commit.h"
#include "app/bundles/review.h"
#include "app/opening/opening_host.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/view/view_text.h"
#include "base/environment.h"
#include "lang/lang.h"

namespace app {
namespace {

std::string name_list(const std::vector<bundle::Item>& items, const std::vector<std::size_t>& positions) {
  std::vector<std::string> labels;
  for (const std::size_t position : positions) labels.push_back(bundle::item_label(items[position]));
  return first_labels(labels);
}

}  // namespace

std::string first_labels(const std::vector<std::string>& labels) {
  std::string list;
  for (std::size_t i = 0; i < labels.size() && i < 2; ++i) {
    if (i > 0) list += ", ";
    list += labels[i];
  }
  if (labels.size() >= 3) {
    list += ' ';
    list += lang::fill(lang::text("외 {0}개", "and {0} more"), {std::to_string(labels.size() - 2)});
  }
  return list;
}

std::vector<std::size_t> OpenResult::positions(ItemState state) const {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].state == state) found.push_back(i);
  }
  return found;
}

std::size_t OpenResult::count(ItemState state) const {
  return static_cast<std::size_t>(
      std::count_if(items.begin(), items.end(), [state](const ItemOutcome& o) { return o.state == state; }));
}

bundle::Item expanded_item(const bundle::Item& item) {
  bundle::Item expanded = item;
  if (item.kind != bundle::Kind::url) expanded.target = base::expand_variables(item.target);
  if (!item.options.dir.empty()) expanded.options.dir = base::expand_variables(item.options.dir);
  return expanded;
}

namespace {

// The gap before the first item is none and between starts 150 ms, unless
// the item asks for a delay of its own.
constexpr double kGapSeconds = 0.15;

bool runs_elevated(const bundle::Item& item) { return item.kind == bundle::Kind::app && item.options.admin; }

// A packaged app has no program path of its own to look for among the
// running processes.
bool can_already_run(const bundle::Item& item) {
  return (item.kind == bundle::Kind::app && !bundle::is_packaged_app(item.target)) || item.kind == bundle::Kind::folder;
}

bool waits_for_window(const bundle::Item& item) {
  return (item.kind == bundle::Kind::app || item.kind == bundle::Kind::file) && item.options.wait > 0;
}

class Opening {
 public:
  Opening(const std::vector<bundle::Item>& items, Opener& opener, bool expand)
      : items_(items), opener_(opener), expand_(expand) {
    result_.items.resize(items.size());
  }

  OpenResult run() {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (result_.items[i].state != ItemState::not_reached) continue;  // answered by the elevated helper
      if (opener_.stop_requested() || !open_one(i)) {
        stop_from(i);
        break;
      }
    }
    return std::move(result_);
  }

 private:
  bundle::Item prepared(std::size_t i) const { return expand_ ? expanded_item(items_[i]) : items_[i]; }

  void finish(std::size_t i, ItemState state, std::string reason = {}) {
    result_.items[i] = ItemOutcome{state, std::move(reason)};
    opener_.progress(++done_, items_.size());
  }

  // False when Stop was pressed before this item started.
  bool open_one(std::size_t i) {
    const bundle::Item item = prepared(i);
    if (bundle::has_file_target(item) && !opener_.target_exists(item.target)) {
      finish(i, ItemState::not_found);
      return true;
    }
    if (!runs_elevated(item) && can_already_run(item) && item.options.if_running != bundle::IfRunning::start_another) {
      const bool focus = item.options.if_running == bundle::IfRunning::focus;
      if (opener_.already_running(item, focus)) {
        finish(i, focus ? ItemState::brought_to_front : ItemState::skipped);
        return true;
      }
    }
    const double gap = item.options.delay > 0 ? item.options.delay : (started_any_ ? kGapSeconds : 0);
    if (gap > 0 && !opener_.pause(gap)) return false;
    started_any_ = true;
    if (runs_elevated(item)) return open_elevated_from(i);

    StartOutcome started = opener_.start(item);
    if (!started.status) {
      finish(i, ItemState::failed, started.status.error().text);
      return true;
    }
    ItemState state = ItemState::opened;
    bool go_on = true;
    if (started.process) {
      started.process->position = i;
      result_.processes.push_back(*started.process);
      if (waits_for_window(item)) {
        switch (opener_.wait_for_window(*started.process, item.options.wait)) {
          case WaitResult::timed_out: state = ItemState::timed_out; break;
          case WaitResult::stopped: go_on = false; break;
          case WaitResult::ready:
          case WaitResult::ended: break;
        }
      }
    }
    finish(i, state);
    return go_on;
  }

  // Every elevated app from `first` on goes to one helper; the first one's
  // delay has been waited for here already.
  bool open_elevated_from(std::size_t first) {
    std::vector<std::size_t> positions;
    std::vector<bundle::Item> batch;
    for (std::size_t i = first; i < items_.size(); ++i) {
      if (!runs_elevated(items_[i]) || result_.items[i].state != ItemState::not_reached) continue;
      positions.push_back(i);
      batch.push_back(prepared(i));
    }
    batch.front().options.delay = 0;
    OpenResult answered = opener_.start_elevated(batch);
    answered.items.resize(batch.size());
    for (std::size_t k = 0; k < batch.size(); ++k) {
      ItemOutcome outcome = std::move(answered.items[k]);
      // The helper never reached these: the user stopped it, or it ended.
      if (outcome.state == ItemState::not_reached) outcome.state = ItemState::stopped;
      result_.items[positions[k]] = std::move(outcome);
      opener_.progress(++done_, items_.size());
    }
    for (StartedProcess process : answered.processes) {
      if (process.position >= positions.size()) continue;
      process.position = positions[process.position];
      process.elevated = true;
      result_.processes.push_back(std::move(process));
    }
    return !opener_.stop_requested();
  }

  void stop_from(std::size_t first) {
    for (std::size_t i = first; i < items_.size(); ++i) {
      if (result_.items[i].state == ItemState::not_reached) result_.items[i].state = ItemState::stopped;
    }
  }

  const std::vector<bundle::Item>& items_;
  Opener& opener_;
  const bool expand_;
  OpenResult result_;
  std::size_t done_ = 0;
  bool started_any_ = false;
};

}  // namespace

OpenResult open_items(const std::vector<bundle::Item>& items, Opener& opener, bool expand) {
  return Opening(items, opener, expand).run();
}

std::string open_summary(const std::vector<bundle::Item>& items, const OpenResult& result) {
  if (items.empty()) return std::string(lang::text("묶음에 항목이 없습니다", "This bundle has no items"));
  std::string summary;
  auto add_part = [&summary](std::string part) {
    if (!summary.empty()) summary += " \u00B7 ";
    summary += part;
  };
  auto count_part = [&](ItemState state, std::string_view text) {
    if (const std::size_t n = result.count(state)) add_part(lang::fill(text, {std::to_string(n)}));
  };
  // Brought to the front counts as opened: it is there for the user, as asked.
  const std::size_t opened = result.count(ItemState::opened) + result.count(ItemState::brought_to_front);
  const std::vector<std::size_t> missing = result.positions(ItemState::not_found);
  const std::vector<std::size_t> failed = result.positions(ItemState::failed);
  const bool says_more = std::any_of(result.items.begin(), result.items.end(), [](const ItemOutcome& o) {
    return o.state != ItemState::opened && o.state != ItemState::brought_to_front && o.state != ItemState::not_reached;
  });
  // "Opened 0" only when there is nothing else to say.
  if (opened > 0 || !says_more) {
    add_part(lang::fill(lang::text("{0}개 열었습니다", "Opened {0}"), {std::to_string(opened)}));
  }
  if (!missing.empty()) {
    add_part(lang::fill(lang::text("{0}개는 찾을 수 없습니다 ({1})", "{0} not found ({1})"),
                        {std::to_string(missing.size()), name_list(items, missing)}));
  }
  if (!failed.empty()) {
    add_part(lang::fill(lang::text("{0}개는 열지 못했습니다 ({1})", "{0} couldn't be opened ({1})"),
                        {std::to_string(failed.size()), name_list(items, failed)}));
  }
  count_part(ItemState::declined, lang::text("{0}개는 관리자 승인을 거부해 열지 않았습니다", "{0} not opened, consent declined"));
  count_part(ItemState::timed_out, lang::text("{0}개는 창을 기다리다 시간이 다 됐습니다", "{0} timed out waiting"));
  count_part(ItemState::stopped, lang::text("{0}개는 멈췄습니다", "{0} stopped"));
  count_part(ItemState::skipped, lang::text("{0}개는 이미 실행 중이라 건너뛰었습니다", "{0} skipped, already running"));
  return summary;
}

std::string failure_details(const std::vector<bundle::Item>& items, const OpenResult& result) {
  std::string details;
  for (const std::size_t i : result.positions(ItemState::failed)) {
    if (i >= items.size()) continue;
    if (!details.empty()) details += '\n';
    details += bundle::item_label(items[i]) + ": " + result.items[i].reason;
  }
  return details;
}

Mailbox<OpenOutcome>& open_results() {
  static Mailbox<OpenOutcome> mailbox;
  return mailbox;
}

namespace {

// Hands `items` of the bundle `bundle_id` to the opening worker; the bundle's
// Open button shows the progress until the worker answers. `positions`: where
// the items are in the bundle when only some of them open; empty for all.
// "Couldn't open: Morning (why)": the opening as a whole failed.
void show_opening_failed(AppState& state, std::string_view name, std::string_view why) {
  show_toast(state, lang::fill(lang::text("열지 못했습니다: {0}", "Couldn't open: {0}"), {std::string(name)}) + " (" +
                        std::string(why) + ")");
}

void start_opening(AppState& state, const std::string& bundle_id, std::vector<bundle::Item> items,
                   std::string_view name, std::vector<std::size_t> positions = {}) {
  state.opening = OpeningProgress{bundle_id, 0, items.size(), false};
  base::Status started = state.platform.opening_host().start_open_worker(bundle_id, std::move(items), std::move(positions));
  if (!started) {
    // Without a worker nothing will ever clear the opening state.
    state.opening.reset();
    show_opening_failed(state, name, started.error().text);
    return;
  }
  state.redraw();
}

std::optional<OpenFailure> failure_of(const ItemOutcome& outcome) {
  switch (outcome.state) {
    case ItemState::failed: return OpenFailure{OpenFailure::Why::failed, outcome.reason};
    case ItemState::declined: return OpenFailure{OpenFailure::Why::declined, {}};
    case ItemState::timed_out: return OpenFailure{OpenFailure::Why::timed_out, {}};
    default: return std::nullopt;
  }
}

}  // namespace

void open_bundle(AppState& state, std::size_t index) {
  if (index >= state.store.bundles.size() || state.opening) return;
  if (state.store.bundles[index].items.empty()) {
    show_toast(state, std::string(lang::text("묶음에 항목이 없습니다. 파일·폴더·주소를 먼저 넣으세요.",
                                             "This bundle is empty. Add files, folders or web addresses first.")));
    return;
  }
  // Committing a running edit may change the bundles, so the bundle is read after it.
  end_edit(state, true);
  const std::string id = state.store.bundles[index].id;
  if (!confirm_start(state, id)) return;
  // The question, when there was one, let other messages run meanwhile.
  const std::optional<std::size_t> position = find_bundle(state, id);
  if (!position || state.opening) return;
  const bundle::Bundle& b = state.store.bundles[*position];
  const std::string name = b.name;
  start_opening(state, b.id, b.items, name);
}

void open_or_stop(AppState& state, std::size_t index) {
  if (index < state.store.bundles.size() && state.opening &&
      state.opening->bundle_id == state.store.bundles[index].id) {
    stop_opening(state);
    return;
  }
  open_bundle(state, index);
}

void stop_opening(AppState& state) {
  if (!state.opening || state.opening->stopping) return;
  state.opening->stopping = true;
  state.platform.opening_host().stop_opening();
  state.redraw();
}

void open_progress(AppState& state, std::size_t done, std::size_t total) {
  // Reports can arrive out of order when one waited for the state.
  if (!state.opening || total != state.opening->total || done <= state.opening->done) return;
  state.opening->done = std::min(done, total);
  state.redraw();
}

void finish_open(AppState& state, const OpenOutcome& outcome) {
  state.opening.reset();
  if (outcome.failure) {
    const std::optional<std::size_t> position = find_bundle(state, outcome.bundle_id);
    show_opening_failed(state, position ? std::string_view(state.store.bundles[*position].name) : std::string_view(),
                        *outcome.failure);
    return;
  }
  RetryRecord retry{outcome.bundle_id, {}};
  for (std::size_t i = 0; i < outcome.items.size(); ++i) {
    const bundle::Item& item = outcome.items[i];
    const ItemOutcome none;
    const ItemOutcome& result = i < outcome.result.items.size() ? outcome.result.items[i] : none;
    std::string key = bundle::item_key(item.target);
    std::optional<OpenFailure> failure = failure_of(result);
    if (failure || result.state == ItemState::not_found) retry.item_keys.push_back(key);
    if (failure) {
      state.open_failures[{outcome.bundle_id, key}] = std::move(*failure);
    } else {
      state.open_failures.erase({outcome.bundle_id, key});
    }
    if (item.kind == bundle::Kind::url) continue;
    if (result.state == ItemState::not_found) {
      state.missing_targets.insert(key);
    } else {
      state.missing_targets.erase(key);
    }
    state.platform.forget_icon(key);
  }
  state.view_cache.missing_changed();
  std::string summary = open_summary(outcome.items, outcome.result);
  if (retry.item_keys.empty()) {
    show_toast(state, std::move(summary));
    return;
  }
  state.retry = std::move(retry);
  show_retry_toast(state, std::move(summary));
}

void retry_open(AppState& state) {
  if (!state.retry || state.opening) return;
  const RetryRecord retry = *state.retry;
  // Committing a running edit may change the bundles, so the bundle is found after it.
  end_edit(state, true);
  const std::optional<std::size_t> position = find_bundle(state, retry.bundle_id);
  if (!position) return;
  std::vector<bundle::Item> items;
  std::vector<std::size_t> positions;
  {
    const bundle::Bundle& b = state.store.bundles[*position];
    for (std::size_t i = 0; i < b.items.size(); ++i) {
      const std::string key = bundle::item_key(b.items[i].target);
      if (std::find(retry.item_keys.begin(), retry.item_keys.end(), key) != retry.item_keys.end()) {
        items.push_back(b.items[i]);
        positions.push_back(i);
      }
    }
  }
  // Removed meanwhile: nothing is left to try again.
  if (items.empty() || state.opening) return;
  state.retry.reset();
  state.toast.reset();
  const std::string name = state.store.bundles[*position].name;
  start_opening(state, retry.bundle_id, std::move(items), name, std::move(positions));
}

void open_single_item(AppState& state, std::size_t index) {
  const bundle::Bundle* selected = state.selected();
  if (!selected || index >= selected->items.size()) return;
  const bundle::Item stored = selected->items[index];
  const bundle::Item item = expanded_item(stored);
  if (bundle::has_file_target(item) && !state.platform.target_exists(item.target)) {
    // The view marks and names the target as written.
    state.missing_targets.insert(bundle::item_key(stored.target));
    state.view_cache.missing_changed();
    show_toast(state, lang::fill(lang::text("찾을 수 없습니다: {0}", "Not found: {0}"), {stored.target}));
    return;
  }
  const std::string bundle_id = selected->id;
  if (!confirm_start(state, bundle_id, index)) return;
  if (stored.kind == bundle::Kind::app && stored.options.admin) {
    // Only the worker can hand it to the elevated helper; one opening at a time.
    if (state.opening) return;
    start_opening(state, bundle_id, {stored}, bundle::item_label(stored), {index});
    return;
  }
  base::Status started = state.platform.opening_host().start_item(item);
  if (!started) {
    show_toast(state, lang::fill(lang::text("열지 못했습니다: {0}", "Couldn't open: {0}"), {bundle::item_label(stored)}) +
                          " (" + started.error().text + ")");
  }
}

}  // namespace app
