#include "app/bundles/edit_commit.h"

#include <string>
#include <utility>
#include <vector>

#include "app/bundles/add_items.h"
#include "app/edit/edit.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "base/unicode.h"
#include "detect/detect.h"
#include "lang/lang.h"

namespace app {
namespace {

bundle::Item* find_item(AppState& state, std::string_view bundle_id, std::size_t index) {
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position) return nullptr;
  std::vector<bundle::Item>& items = state.store.bundles[*position].items;
  return index < items.size() ? &items[index] : nullptr;
}

// Replaces one text of the store and saves, unless the text is already there.
void replace_and_save(AppState& state, std::string& field, std::string_view text) {
  if (field == text) return;
  field = std::string(text);
  save_store(state);
}


void commit_web_address(AppState& state, const ActiveEdit& edit, std::string_view text) {
  if (text.empty()) return;
  std::vector<bundle::Item> items = detect::detect_items(text);
  if (items.empty()) {
    show_toast(state, std::string(lang::text("웹 주소가 아닙니다. https:// 로 시작하는 주소를 넣으세요.",
                                             "That isn't a web address. Enter one starting with https://")));
    return;
  }
  add_items(state, find_bundle(state, edit.bundle_id), std::move(items));
}

}  // namespace

void commit_bundle_name(AppState& state, std::string_view bundle_id, std::string_view text) {
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position) return;
  const std::string_view name = base::trim(text);
  // A blank name keeps the old one.
  if (name.empty()) return;
  replace_and_save(state, state.store.bundles[*position].name, name);
}

void commit_item_name(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view text) {
  // An empty name gives the item its automatic label back.
  if (bundle::Item* item = find_item(state, bundle_id, index)) replace_and_save(state, item->name, base::trim(text));
}

void commit_args(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view text) {
  if (bundle::Item* item = find_item(state, bundle_id, index)) replace_and_save(state, item->args, base::trim(text));
}

void begin_edit(AppState& state, const ActiveEdit& edit, std::string_view initial_text, std::string_view cue) {
  end_edit(state, true);
  open_edit(state, edit, initial_text, cue);
}

void end_edit(AppState& state, bool commit) {
  std::optional<TakenEdit> taken = take_edit(state);
  if (!taken) return;
  if (!commit) {
    state.redraw();
    return;
  }
  const ActiveEdit& edit = taken->edit;
  const std::string_view text = base::trim(taken->text);
  switch (edit.mode) {
    case EditMode::web_address:
      commit_web_address(state, edit, text);
      break;
    case EditMode::bundle_name:
      commit_bundle_name(state, edit.bundle_id, text);
      break;
    case EditMode::item_name:
      commit_item_name(state, edit.bundle_id, edit.item, text);
      break;
    case EditMode::item_args:
      commit_args(state, edit.bundle_id, edit.item, text);
      break;
  }
  state.redraw();
}

void on_edit_field_left(AppState& state, bool to_another_program) {
  if (!state.edit) return;
  if (to_another_program && state.edit->mode == EditMode::web_address) return;
  end_edit(state, true);
}

void end_item_edit(AppState& state, std::string_view bundle_id) {
  if (state.edit && state.edit->bundle_id == bundle_id &&
      (state.edit->mode == EditMode::item_name || state.edit->mode == EditMode::item_args)) {
    end_edit(state, true);
  }
}

}  // namespace app
