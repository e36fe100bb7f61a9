#include "app/act/open.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "app/act/edit_support.h"
#include "app/act/review.h"
#include "app/app_state.h"
#include "app/edit/edit.h"
#include "lang/lang.h"

namespace app {
namespace {

std::string name_list(const std::vector<bundle::Item>& items, const std::vector<std::size_t>& positions) {
  std::string list;
  for (std::size_t i = 0; i < positions.size() && i < 2; ++i) {
    if (i > 0) list += ", ";
    list += bundle::item_label(items[positions[i]]);
  }
  if (positions.size() >= 3) {
    list += ' ';
    list += lang::fill(lang::text("외 {0}개", "and {0} more"), {std::to_string(positions.size() - 2)});
  }
  return list;
}

}  // namespace

OpenResult open_items(const std::vector<bundle::Item>& items, Opener& opener) {
  OpenResult result;
  bool started_any = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const bundle::Item& item = items[i];
    if (item.kind != bundle::Kind::url && !opener.target_exists(item.target)) {
      result.missing.push_back(i);
      continue;
    }
    if (started_any) opener.wait_between_starts();
    started_any = true;
    if (opener.start(item)) {
      ++result.opened;
    } else {
      result.failed.push_back(i);
    }
  }
  return result;
}

std::string open_summary(const std::vector<bundle::Item>& items, const OpenResult& result) {
  if (items.empty()) return std::string(lang::text("묶음에 항목이 없습니다", "This bundle has no items"));
  std::string summary;
  auto add_part = [&summary](std::string part) {
    if (!summary.empty()) summary += " \u00B7 ";
    summary += part;
  };
  if (result.opened > 0 || (result.missing.empty() && result.failed.empty())) {
    add_part(lang::fill(lang::text("{0}개 열었습니다", "Opened {0}"), {std::to_string(result.opened)}));
  }
  if (!result.missing.empty()) {
    add_part(lang::fill(lang::text("{0}개는 찾을 수 없습니다 ({1})", "{0} not found ({1})"),
                        {std::to_string(result.missing.size()), name_list(items, result.missing)}));
  }
  if (!result.failed.empty()) {
    add_part(lang::fill(lang::text("{0}개는 열지 못했습니다 ({1})", "{0} couldn't be opened ({1})"),
                        {std::to_string(result.failed.size()), name_list(items, result.failed)}));
  }
  return summary;
}

Mailbox<OpenOutcome>& open_results() {
  static Mailbox<OpenOutcome> mailbox;
  return mailbox;
}

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
  state.opening = b.id;
  base::Status started = state.platform.start_open_worker(b.id, b.items);
  if (!started) {
    // Without a worker nothing will ever clear the opening state.
    state.opening.reset();
    show_toast(state, lang::fill(lang::text("열지 못했습니다: {0}", "Couldn't open: {0}"), {b.name}) + " (" +
                          started.error().text + ")");
    return;
  }
  state.redraw();
}

void finish_open(AppState& state, const OpenOutcome& outcome) {
  state.opening.reset();
  for (std::size_t i = 0; i < outcome.items.size(); ++i) {
    const bundle::Item& item = outcome.items[i];
    if (item.kind == bundle::Kind::url) continue;
    std::string key = bundle::item_key(item.target);
    const bool missing = std::find(outcome.result.missing.begin(), outcome.result.missing.end(), i) !=
                         outcome.result.missing.end();
    if (missing) {
      state.missing_targets.insert(key);
    } else {
      state.missing_targets.erase(key);
    }
    state.platform.forget_icon(key);
  }
  state.view_cache.missing_changed();
  show_toast(state, open_summary(outcome.items, outcome.result));
}

void open_single_item(AppState& state, std::size_t index) {
  const bundle::Bundle* selected = state.selected();
  if (!selected || index >= selected->items.size()) return;
  const bundle::Item item = selected->items[index];
  if (item.kind != bundle::Kind::url && !state.platform.target_exists(item.target)) {
    state.missing_targets.insert(bundle::item_key(item.target));
    state.view_cache.missing_changed();
    show_toast(state, lang::fill(lang::text("찾을 수 없습니다: {0}", "Not found: {0}"), {item.target}));
    return;
  }
  if (!confirm_start(state, selected->id, index)) return;
  base::Status started = state.platform.start_item(item);
  if (!started) {
    show_toast(state, lang::fill(lang::text("열지 못했습니다: {0}", "Couldn't open: {0}"), {bundle::item_label(item)}) +
                          " (" + started.error().text + ")");
  }
}

}  // namespace app
