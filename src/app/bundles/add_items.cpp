#include "app/bundles/add_items.h"

#include <set>
#include <string>
#include <utility>

#include "app/bundles/edit_commit.h"
#include "app/bundles/names.h"
#include "app/bundles/select.h"
#include "app/state/app_state.h"
#include "app/view/scroll.h"
#include "app/view/selection.h"
#include "base/environment.h"
#include "lang/lang.h"

namespace app {
namespace {

// What makes two items the same entry of a bundle: web addresses by their exact
// text; paths (any kind but url) by the duplicate key (bundle::duplicate_key)
// of what they name on this PC (variables expanded), together with their
// exact arguments.
class ItemIndex {
 public:
  explicit ItemIndex(const std::vector<bundle::Item>& items) {
    for (const bundle::Item& item : items) insert(item);
  }

  // False when an equal item is already there.
  bool insert(const bundle::Item& item) {
    if (item.kind == bundle::Kind::url) return urls_.insert(item.target).second;
    return paths_.emplace(bundle::duplicate_key(base::expand_variables(item.target)), item.args).second;
  }

 private:
  std::set<std::string> urls_;
  std::set<std::pair<std::string, std::string>> paths_;
};

}  // namespace

void add_items(AppState& state, std::optional<std::size_t> target, std::vector<bundle::Item> items) {
  if (items.empty()) return;

  std::vector<bundle::Bundle>& bundles = state.store.bundles;
  if (!target || *target >= bundles.size()) {
    bundles.push_back({bundle::new_bundle_id(), unique_name(state.store, lang::text("새 묶음", "New bundle")), {}});
    target = bundles.size() - 1;
  }
  const std::size_t index = *target;

  std::vector<bundle::Item>& held = bundles[index].items;
  ItemIndex present(held);
  const std::size_t given = items.size();
  std::size_t appended = 0;
  for (bundle::Item& item : items) {
    if (!present.insert(item)) continue;
    held.push_back(std::move(item));
    ++appended;
  }
  const std::string name = bundles[index].name;

  save_store(state);
  // Selecting another bundle ends the running edit, and committing a web
  // address adds items and selects in turn; end it first so that the bundle
  // just added to is the one left selected.
  if (state.edit && state.selected_bundle != index) {
    end_edit(state, true);
  }
  // Selecting starts the check of the targets only when the selection changes;
  // the new items need it either way.
  const bool was_selected = state.selected_bundle == index;
  select_bundle(state, index);
  if (was_selected) check_targets(state);
  scroll_items_to_end(state);

  const std::string count = std::to_string(appended);
  if (appended == 0) {
    show_toast(state, std::string(lang::text("이미 묶음에 있는 항목입니다", "Already in this bundle")));
  } else if (appended < given) {
    show_toast(state, lang::fill(lang::text("‘{0}’에 {1}개를 넣었습니다 (이미 있는 것은 뺐습니다)",
                                            "Added {1} to “{0}” (skipped ones already there)"),
                                 {name, count}));
  } else {
    show_toast(state, lang::fill(lang::text("‘{0}’에 {1}개를 넣었습니다", "Added {1} to “{0}”"), {name, count}));
  }
}

}  // namespace app
