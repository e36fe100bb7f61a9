#include "app/bundles/edit_commit.h"
#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include "app/state/app_state.h"
#include "app/view/selection.h"
#include "fake_platform.h"
#include "store_fixture.h"

namespace {

using testing_support::FakePlatform;
using testing_support::file_item;

struct InlineEdit : testing_support::StoreFixture {

  void SetUp() override {
    state.store.bundles = {bundle::Bundle{"b1", "Work", {file_item("C:\\a.txt")}}, bundle::Bundle{"b2", "Home", {}}};
    app::select_bundle(state, 0);
  }
  void type_and_end(const std::string& text, bool commit) {
    platform.edit_field_text = text;
    app::end_edit(state, commit);
  }
};

TEST_F(InlineEdit, BeginOpensTheFieldWithTheInitialText) {
  app::begin_edit(state, {app::EditMode::bundle_name, "b1"}, "Work", "Bundle name");
  ASSERT_TRUE(state.edit);
  EXPECT_EQ(platform.edit_field_initial, "Work");
  EXPECT_EQ(platform.edit_field_cue, "Bundle name");
}

TEST_F(InlineEdit, AFieldThatCannotBeCreatedLeavesNoEdit) {
  platform.edit_field_fails = true;
  app::begin_edit(state, {app::EditMode::bundle_name, "b1"}, "Work", "Bundle name");
  EXPECT_FALSE(state.edit);
}

TEST_F(InlineEdit, CommitRenamesAndCancelKeepsTheOldValue) {
  app::begin_edit(state, {app::EditMode::bundle_name, "b1"}, "Work", "Bundle name");
  type_and_end("Elsewhere", false);
  EXPECT_EQ(state.store.bundles[0].name, "Work");
  EXPECT_FALSE(state.edit);

  app::begin_edit(state, {app::EditMode::bundle_name, "b1"}, "Work", "Bundle name");
  type_and_end("  Month-end  ", true);
  EXPECT_EQ(state.store.bundles[0].name, "Month-end");
}

TEST_F(InlineEdit, BeginningAnotherEditCommitsTheRunningOne) {
  app::begin_edit(state, {app::EditMode::item_args, "b1", 0}, "", "");
  platform.edit_field_text = "-x";
  app::begin_edit(state, {app::EditMode::item_name, "b1", 0}, "", "");
  EXPECT_EQ(state.store.bundles[0].items[0].args, "-x");
  ASSERT_TRUE(state.edit);
  EXPECT_EQ(state.edit->mode, app::EditMode::item_name);
}

TEST_F(InlineEdit, WebAddressEntry) {
  // Only spaces: nothing added, nothing said.
  app::begin_edit(state, {app::EditMode::web_address, "b1"}, "", "");
  type_and_end("   ", true);
  EXPECT_EQ(state.store.bundles[0].items.size(), 1u);
  EXPECT_FALSE(state.toast);

  app::begin_edit(state, {app::EditMode::web_address, "b1"}, "", "");
  type_and_end("not an address", true);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "That isn't a web address. Enter one starting with https://");
  EXPECT_FALSE(state.edit);

  // A typed path is accepted too.
  app::begin_edit(state, {app::EditMode::web_address, "b1"}, "", "");
  type_and_end("D:\\Docs\\", true);
  ASSERT_EQ(state.store.bundles[0].items.size(), 2u);
  EXPECT_EQ(state.store.bundles[0].items[1].kind, bundle::Kind::folder);
}

TEST_F(InlineEdit, WebAddressForABundleDeletedMeanwhileMakesANewOne) {
  app::begin_edit(state, {app::EditMode::web_address, "gone"}, "", "");
  type_and_end("https://a.bc", true);
  ASSERT_EQ(state.store.bundles.size(), 3u);
  EXPECT_EQ(state.store.bundles[2].name, "New bundle");
}

TEST_F(InlineEdit, SelectingAnotherBundleCommitsTheRunningEdit) {
  app::begin_edit(state, {app::EditMode::web_address, "b1"}, "", "");
  platform.edit_field_text = "https://a.bc";
  app::select_bundle(state, 1);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(state.store.bundles[0].items.size(), 2u);
  // The click's selection wins over the one the committed add made.
  EXPECT_EQ(state.selected_bundle, 1u);

  app::begin_edit(state, {app::EditMode::bundle_name, "b2"}, "Home", "");
  platform.edit_field_text = "House";
  app::select_bundle(state, 0);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(state.store.bundles[1].name, "House");
}

}  // namespace
