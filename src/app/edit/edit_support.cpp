#include "app/edit/edit_support.h"

#include "app/state/app_state.h"
#include "app/edit/edit.h"
#include "app/view/selection.h"

namespace app {

void select_inserted_bundle(AppState& state, std::size_t index) {
  state.selected_bundle.reset();
  select_bundle(state, index);
}

void end_item_edit(AppState& state, std::string_view bundle_id) {
  if (state.edit && state.edit->bundle_id == bundle_id &&
      (state.edit->mode == EditMode::item_name || state.edit->mode == EditMode::item_args)) {
    end_edit(state, true);
  }
}

}  // namespace app
