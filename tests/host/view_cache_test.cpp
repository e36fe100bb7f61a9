// The bundles a search shows and the selected bundle's count of missing
// targets are kept between frames; every change of what they come from must
// be seen at the next look.

#include "app/bundles/bundle_ops.h"
#include "app/bundles/edit_commit.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/select.h"
#include "app/state/view_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/bundles/import.h"
#include "app/bundles/undo.h"
#include "app/input/search.h"
#include "app/opening/open.h"
#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "app/view/selection.h"
#include "app/view/targets.h"
#include "bundle/export_file.h"
#include "store_fixture.h"

namespace {

using testing_support::file_item;

std::vector<std::size_t> shown_rows(const app::AppState& state) {
  std::vector<std::size_t> rows;
  for (const app::SidebarRow& row : app::layout_view(state, nullptr).rows) rows.push_back(row.bundle);
  return rows;
}

// Bundles "Red", "green", "Blue", "reef"; the search "re" shows 0, 1 and 3.
class SearchCacheTest : public testing_support::StoreFixture {
 protected:
  void SetUp() override {
    state.client_width = 1000;
    state.client_height = 2000;  // every row on screen
    state.store.bundles = {bundle::Bundle{"b1", "Red", {}}, bundle::Bundle{"b2", "green", {}},
                           bundle::Bundle{"b3", "Blue", {}}, bundle::Bundle{"b4", "reef", {}}};
    app::select_bundle(state, 0);
    app::on_search_text_changed(state, "re");
    ASSERT_EQ(app::visible_bundles(state), (std::vector<std::size_t>{0, 1, 3}));
  }
  // The layout and the selection see the same list.
  void expect_visible(const std::vector<std::size_t>& expected) {
    EXPECT_EQ(app::visible_bundles(state), expected);
    EXPECT_EQ(shown_rows(state), expected);
    EXPECT_EQ(app::layout_view(state, nullptr).visible_count, expected.size());
  }
};

TEST_F(SearchCacheTest, ARenamedBundleIsFilteredByItsNewName) {
  app::commit_bundle_name(state, "b3", "Blue tree");  // now contains "re"
  expect_visible({0, 1, 2, 3});
  app::commit_bundle_name(state, "b2", "olive");
  expect_visible({0, 2, 3});
}

TEST_F(SearchCacheTest, AnAddedBundleShowsWhenItsNameMatches) {
  app::duplicate_bundle(state, 3);  // "reef copy", after "reef"
  ASSERT_EQ(state.store.bundles.size(), 5u);
  expect_visible({0, 1, 3, 4});
}

TEST_F(SearchCacheTest, ADeletedBundleGoesAndUndoBringsItBack) {
  app::delete_bundle(state, 1);  // green
  expect_visible({0, 2});        // Red, reef at its new position
  app::undo(state);
  expect_visible({0, 1, 3});
}

TEST_F(SearchCacheTest, AnImportedBundleShowsWhenItsNameMatches) {
  const bundle::Bundle exported{"x1", "Prepare", {file_item("C:\\a.txt")}};
  app::import_files(state, {write_file("p.tolvik", bundle::serialize_exported(exported))});
  ASSERT_EQ(state.store.bundles.size(), 5u);
  expect_visible({0, 1, 3, 4});
}

TEST_F(SearchCacheTest, EveryChangeOfTheSearchTextFiltersAgain) {
  app::on_search_text_changed(state, "ee");
  expect_visible({1, 3});
  app::on_search_text_changed(state, "BLU");
  expect_visible({2});
  app::on_search_key(state, app::SearchKey::escape);
  expect_visible({0, 1, 2, 3});
  app::on_search_text_changed(state, "RE");
  expect_visible({0, 1, 3});
}

// Bundle "A" of four files, bundle "B" of two; the selected one is A.
class MissingCountTest : public testing_support::StoreFixture {
 protected:
  void SetUp() override {
    state.store.bundles = {
        bundle::Bundle{"a", "A", {file_item("C:\\1"), file_item("C:\\2"), file_item("C:\\3"), file_item("C:\\4")}},
        bundle::Bundle{"b", "B", {file_item("C:\\2"), file_item("C:\\5")}}};
    app::select_bundle(state, 0);
  }
  std::size_t missing_in_selected() {
    return state.view_cache.missing_count.get(*state.selected(), *state.selected_bundle, state.missing_targets);
  }
};

TEST_F(MissingCountTest, FollowsTheTargetCheck) {
  EXPECT_EQ(missing_in_selected(), 0u);
  app::apply_target_check(state, {{"C:\\1", false}, {"C:\\5", false}});  // C:\5 is B's
  EXPECT_EQ(missing_in_selected(), 1u);
  // One found and another missing: the set keeps its size.
  app::apply_target_check(state, {{"C:\\5", true}, {"C:\\2", false}});
  EXPECT_EQ(missing_in_selected(), 2u);
  app::apply_target_check(state, {{"C:\\1", true}, {"C:\\2", true}, {"C:\\4", false}});
  EXPECT_EQ(missing_in_selected(), 1u);
}

TEST_F(MissingCountTest, FollowsTheOpeningOfABundleAndOfOneItem) {
  app::apply_target_check(state, {{"C:\\1", false}});
  EXPECT_EQ(missing_in_selected(), 1u);
  app::OpenOutcome outcome;
  outcome.items = state.store.bundles[0].items;
  outcome.result = testing_support::result_of(
      {app::ItemState::opened, app::ItemState::not_found});  // C:\1 was found after all, C:\2 is gone
  state.opening = app::OpeningProgress{"a", 0, 2};
  app::finish_open(state, outcome);
  EXPECT_EQ(missing_in_selected(), 1u);
  EXPECT_TRUE(state.missing_targets.count(bundle::item_key("C:\\2")));
  app::open_single_item(state, 2);  // C:\3 is not there (the fake finds no target)
  EXPECT_EQ(missing_in_selected(), 2u);
}

TEST_F(MissingCountTest, FollowsTheItemsAndTheSelection) {
  app::apply_target_check(state, {{"C:\\2", false}, {"C:\\3", false}});
  EXPECT_EQ(missing_in_selected(), 2u);
  app::remove_item(state, 1);  // C:\2
  EXPECT_EQ(missing_in_selected(), 1u);
  app::undo(state);
  EXPECT_EQ(missing_in_selected(), 2u);
  app::select_bundle(state, 1);
  EXPECT_EQ(missing_in_selected(), 1u);  // C:\2 is B's too
  app::select_bundle(state, 0);
  EXPECT_EQ(missing_in_selected(), 2u);
}

}  // namespace
