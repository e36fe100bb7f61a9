#include "app/edit/edit.h"

#include <string>

#include "app/bundles/bundle_changes.h"
#include "app/edit/edit_support.h"
#include "app/state/app_state.h"
#include "base/unicode.h"
#include "detect/detect.h"
#include "lang/lang.h"

namespace app {
namespace {

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

void begin_edit(AppState& state, const ActiveEdit& edit, std::string_view initial_text, std::string_view cue) {
  end_edit(state, true);
  // The field is placed from the running edit, so the edit is recorded first.
  state.edit = edit;
  if (!state.platform.open_edit_field(edit, initial_text, cue)) {
    state.edit.reset();
    return;
  }
  state.redraw();
}

void end_edit(AppState& state, bool commit) {
  if (!state.edit) return;
  const ActiveEdit edit = *state.edit;
  state.edit.reset();
  const std::string typed = state.platform.close_edit_field();
  if (!commit) {
    state.redraw();
    return;
  }
  const std::string_view text = base::trim(typed);
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

}  // namespace app
