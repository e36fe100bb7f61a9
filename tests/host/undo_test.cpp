#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/bundles/add_items.h"
#include "app/bundles/bundle_ops.h"
#include "app/bundles/edit_commit.h"
#include "app/bundles/move_item.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/select.h"
#include "app/bundles/undo.h"
#include "app/state/toast.h"
#include "app/view/selection.h"
#include "store_fixture.h"

namespace {

using testing_support::file_item;
using Strings = std::vector<std::string>;

struct Undo : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {{"b1", "A", {file_item("a1"), file_item("a2"), file_item("a3")}},
                           {"b2", "B", {file_item("b1")}},
                           {"b3", "C", {}}};
  }
};

TEST_F(Undo, NothingToUndoDoesNothing) {
  app::undo(state);
  EXPECT_FALSE(state.toast);
  EXPECT_FALSE(store_file_exists());
}

TEST_F(Undo, OnlyTheLastRemovalComesBackAndOnlyOnce) {
  state.selected_bundle = 0;
  app::remove_item(state, 0);  // a1
  app::remove_item(state, 0);  // a2
  EXPECT_EQ(targets(0), Strings{"a3"});

  app::undo(state);
  EXPECT_EQ(targets(0), (Strings{"a2", "a3"}));
  EXPECT_EQ(state.selected_bundle, 0u);
  EXPECT_EQ(state.selected_item, 0u);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Undone");
  EXPECT_FALSE(state.toast->has_undo());
  EXPECT_FALSE(state.undo);
  expect_saved();

  const std::size_t raised = toasts.size();
  const std::string before = saved();
  app::undo(state);
  EXPECT_EQ(targets(0), (Strings{"a2", "a3"}));
  EXPECT_EQ(toasts.size(), raised);
  EXPECT_EQ(saved(), before);
}

TEST_F(Undo, ARemovedItemGoesBackByIndexIntoTheListAsItIsNow) {
  state.selected_bundle = 0;
  app::remove_item(state, 1);  // a2
  // Other edits in between leave the record in place.
  app::add_items(state, 0, {file_item("a4")});
  app::move_item(state, 0, 2);  // a3 a4 a1
  app::commit_bundle_name(state, "b1", "Renamed");
  app::commit_item_name(state, "b1", 0, "Third");
  app::duplicate_bundle(state, 1);
  app::select_bundle(state, 2);  // the copy of B

  app::undo(state);
  EXPECT_EQ(targets(0), (Strings{"a3", "a2", "a4", "a1"}));
  EXPECT_EQ(state.selected_bundle, 0u);
  EXPECT_EQ(state.selected_item, 1u);
  EXPECT_EQ(state.toast->text, "Undone");
  expect_saved();
}

TEST_F(Undo, AnItemGoesToTheEndWhenItsListHasBecomeShorter) {
  state.selected_bundle = 0;
  app::remove_item(state, 2);  // a3
  state.store.bundles[0].items.resize(1);
  app::undo(state);
  EXPECT_EQ(targets(0), (Strings{"a1", "a3"}));
  EXPECT_EQ(state.selected_item, 1u);
}

TEST_F(Undo, AnItemWhoseBundleIsGoneIsDroppedSilently) {
  state.selected_bundle = 0;
  app::remove_item(state, 0);
  // However the bundle went, the item has nowhere to go back to.
  state.store.bundles.erase(state.store.bundles.begin());
  const std::string before = saved();
  const std::size_t raised = toasts.size();

  app::undo(state);
  EXPECT_EQ(names(), (Strings{"B", "C"}));
  EXPECT_FALSE(state.undo);
  EXPECT_EQ(toasts.size(), raised);
  EXPECT_EQ(saved(), before);
}

TEST_F(Undo, RestoringAnItemSelectsItsBundle) {
  state.selected_bundle = 1;
  app::remove_item(state, 0);  // b1 of bundle B
  app::select_bundle(state, 0);
  app::undo(state);
  EXPECT_EQ(targets(1), Strings{"b1"});
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_EQ(state.selected_item, 0u);
  EXPECT_EQ(platform.settings["Selected"], "b2");
}

TEST_F(Undo, ADeletedBundleReturnsWholeAtItsOldPlace) {
  state.selected_bundle = 1;
  app::delete_bundle(state, 1);
  app::add_items(state, 0, {file_item("a9")});

  app::undo(state);
  EXPECT_EQ(names(), (Strings{"A", "B", "C"}));
  EXPECT_EQ(state.store.bundles[1], (bundle::Bundle{"b2", "B", {file_item("b1")}}));
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_EQ(platform.settings["Selected"], "b2");
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Restored “B”");
  EXPECT_FALSE(state.toast->has_undo());
  EXPECT_FALSE(state.undo);
  expect_saved();
}

TEST_F(Undo, ADeletedBundleGoesToTheEndWhenTheListHasBecomeShorter) {
  app::delete_bundle(state, 2);
  state.store.bundles.erase(state.store.bundles.begin());
  app::undo(state);
  EXPECT_EQ(names(), (Strings{"B", "C"}));
  EXPECT_EQ(state.selected_bundle, 1u);
}

TEST_F(Undo, ARestoredBundleIsSelectedAfreshAtAPositionThatWasSelected) {
  app::delete_bundle(state, 0);
  state.selected_bundle = 0;  // B moved up to position 0
  state.selected_item = 0;
  const std::size_t checks = platform.target_checks.size();
  app::undo(state);
  EXPECT_EQ(state.store.bundles[0].id, "b1");
  EXPECT_EQ(state.selected_bundle, 0u);
  EXPECT_FALSE(state.selected_item);
  ASSERT_EQ(platform.target_checks.size(), checks + 1);
  EXPECT_EQ(platform.target_checks.back(), (Strings{"a1", "a2", "a3"}));
}

TEST_F(Undo, TheRecordOutlivesItsToast) {
  state.selected_bundle = 0;
  app::remove_item(state, 0);
  platform.now += 7.0;
  app::toast_timer(state);
  EXPECT_FALSE(state.toast);
  ASSERT_TRUE(state.undo);
  app::undo(state);
  EXPECT_EQ(targets(0), (Strings{"a1", "a2", "a3"}));
}

TEST_F(Undo, ADeletionReplacesAnEarlierRemoval) {
  state.selected_bundle = 0;
  app::remove_item(state, 0);
  app::delete_bundle(state, 2);
  app::undo(state);
  EXPECT_EQ(names(), (Strings{"A", "B", "C"}));
  EXPECT_EQ(targets(0), (Strings{"a2", "a3"}));
  EXPECT_FALSE(state.undo);
}

TEST_F(Undo, AFailedSaveKeepsTheRestoreAndStaysInItsToast) {
  app::delete_bundle(state, 2);
  break_saving();
  toasts.clear();
  app::undo(state);
  EXPECT_EQ(names(), (Strings{"A", "B", "C"}));
  ASSERT_EQ(toasts.size(), 2u);
  EXPECT_EQ(toasts[0].rfind("Couldn't save: ", 0), 0u);
  EXPECT_EQ(toasts[1], toasts[0] + " · Restored “C”");
}

}  // namespace
