#include "app/bundles/bundle_ops.h"

#include <cstddef>
#include <string>
#include <utility>

#include "app/bundles/edit_commit.h"
#include "app/bundles/names.h"
#include "app/bundles/select.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/view/selection.h"
#include "bundle/export_file.h"
#include "lang/lang.h"

namespace app {

void duplicate_bundle(AppState& state, std::size_t index) {
  std::vector<bundle::Bundle>& bundles = state.store.bundles;
  if (index >= bundles.size()) return;

  bundle::Bundle copy = bundle::without_local_settings(bundles[index]);
  copy.id = bundle::new_bundle_id();
  copy.name = unique_name(state.store, lang::fill(lang::text("{0} 사본", "{0} copy"), {bundles[index].name}));
  bundles.insert(bundles.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(copy));

  save_store(state);
  select_inserted_bundle(state, index + 1);
  show_toast(state, std::string(lang::text("묶음을 복제했습니다", "Bundle duplicated")));
}

void toggle_sign_in(AppState& state, std::size_t index) {
  if (index >= state.store.bundles.size()) return;
  bundle::Bundle& bundle = state.store.bundles[index];
  ChangedSignIn undo{bundle.id, bundle.at_sign_in};
  bundle.at_sign_in = !bundle.at_sign_in;
  std::string text =
      bundle.at_sign_in
          ? lang::fill(lang::text("‘{0}’ 묶음은 로그인할 때 열립니다", "“{0}” opens when you sign in"), {bundle.name})
          : lang::fill(lang::text("‘{0}’ 묶음은 이제 로그인할 때 열리지 않습니다",
                                  "“{0}” no longer opens when you sign in"),
                       {bundle.name});
  save_store(state);
  // Saved, but Windows will not do as the mark says: that is what the toast tells.
  if (!state.save_failure && state.run_value_failure) text = *state.run_value_failure;
  show_undo_toast(state, std::move(undo), std::move(text));
}

void new_bundle(AppState& state) {
  std::string name = unique_name(state.store, lang::text("새 묶음", "New bundle"));
  // The new bundle must be in the sidebar to be renamed there. The search box's
  // change notification arrives while this handler runs and is skipped, so the
  // text is cleared here as well.
  state.search_text.clear();
  state.platform.clear_search_box();
  state.store.bundles.push_back({bundle::new_bundle_id(), std::move(name), {}});

  save_store(state);
  select_bundle(state, state.store.bundles.size() - 1);
  begin_rename_bundle(state);
}

void begin_rename_bundle(AppState& state) {
  if (!state.selected()) return;
  // Commit a running edit first: committing may change the bundle list, and
  // the name to edit must be read after that.
  end_edit(state, true);
  const bundle::Bundle* selected = state.selected();
  if (!selected) return;
  const ActiveEdit edit{EditMode::bundle_name, selected->id, 0};
  const std::string name = selected->name;
  begin_edit(state, edit, name, lang::text("묶음 이름", "Bundle name"));
}

}  // namespace app
