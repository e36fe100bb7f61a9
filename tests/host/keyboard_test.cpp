#include "app/input/keyboard.h"

#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include "app/input/bundle_menu.h"
#include "app/state/app_state.h"
#include "app/view/selection.h"
#include "fake_platform.h"

namespace {

using testing_support::FakePlatform;
using testing_support::file_item;

struct KeyboardTest : ::testing::Test {
  FakePlatform platform;
  app::AppState state{platform};
  void SetUp() override {
    for (const char* name : {"red", "green", "reef", "blue", "tree", "core", "rest"}) {
      state.store.bundles.push_back(bundle::Bundle{std::string("id-") + name, name, {file_item("C:\\x")}});
    }
  }
};

TEST_F(KeyboardTest, EnterOpensTheSelectedBundleOnlyWithCtrlUp) {
  app::handle_key(state, app::Key::enter, false);
  EXPECT_TRUE(platform.open_requests.empty());  // nothing selected
  app::select_bundle(state, 1);
  app::handle_key(state, app::Key::enter, true);
  EXPECT_TRUE(platform.open_requests.empty());
  app::handle_key(state, app::Key::enter, false);
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].bundle_id, "id-green");
}

TEST_F(KeyboardTest, EscapeClearsTheSelectedItem) {
  app::select_bundle(state, 0);
  state.selected_item = 0;
  app::handle_key(state, app::Key::escape, false);
  EXPECT_FALSE(state.selected_item);
  EXPECT_EQ(state.selected_bundle, 0u);
}

TEST_F(KeyboardTest, UpAndDownMoveThroughTheVisibleBundles) {
  state.search_text = "re";  // red, green, reef, tree, core, rest
  app::select_bundle(state, 3);  // blue, not visible
  app::handle_key(state, app::Key::down, false);
  EXPECT_EQ(state.selected_bundle, 0u);  // the first visible, whatever the direction
  app::handle_key(state, app::Key::down, false);
  EXPECT_EQ(state.selected_bundle, 1u);
  app::handle_key(state, app::Key::down, false);
  EXPECT_EQ(state.selected_bundle, 2u);
  app::handle_key(state, app::Key::down, false);
  EXPECT_EQ(state.selected_bundle, 4u);  // skips blue
  app::select_bundle(state, 6);
  app::handle_key(state, app::Key::down, false);
  EXPECT_EQ(state.selected_bundle, 6u);  // stays at the last visible one
  app::handle_key(state, app::Key::up, false);
  EXPECT_EQ(state.selected_bundle, 5u);
  EXPECT_EQ(platform.settings["Selected"], "id-core");
}

TEST_F(KeyboardTest, NoVisibleBundleMeansNoMove) {
  state.search_text = "zzz";
  app::select_bundle(state, 2);
  app::handle_key(state, app::Key::down, false);
  EXPECT_EQ(state.selected_bundle, 2u);
}

TEST_F(KeyboardTest, SearchIgnoresLetterCaseByFullUnicodeRules) {
  // "ΟΔΟΣ" lower-cases with a final sigma: "οδος" ending in U+03C2.
  state.store.bundles.push_back(bundle::Bundle{"id-road", "\u039F\u0394\u039F\u03A3", {}});
  state.store.bundles.push_back(bundle::Bundle{"id-city", "\u0130stanbul", {}});
  state.search_text = "\u03BF\u03B4\u03BF\u03C2";  // final sigma
  EXPECT_EQ(app::visible_bundles(state), (std::vector<std::size_t>{7}));
  state.search_text = "\u03A3";  // a lone capital sigma lower-cases to the ordinary one
  EXPECT_TRUE(app::visible_bundles(state).empty());
  state.search_text = "I\u0307ST";  // İ is i + combining dot above
  EXPECT_EQ(app::visible_bundles(state), (std::vector<std::size_t>{8}));
  state.search_text = "ist";
  EXPECT_TRUE(app::visible_bundles(state).empty());
}

}  // namespace

namespace {

TEST_F(KeyboardTest, CtrlRulesForLetterKeys) {
  app::handle_key(state, app::Key::f, false);
  EXPECT_FALSE(state.search_open);
  app::handle_key(state, app::Key::f, true);
  EXPECT_TRUE(state.search_open);
  EXPECT_EQ(platform.pointer_calls.back(), "search");
  // Delete and F2 act only with Ctrl up; Ctrl+N only with Ctrl down.
  app::select_bundle(state, 0);
  state.selected_item = 0;
  app::handle_key(state, app::Key::del, true);
  EXPECT_EQ(state.store.bundles[0].items.size(), 1u);
  app::handle_key(state, app::Key::n, false);
  EXPECT_EQ(state.store.bundles.size(), 7u);
}

TEST_F(KeyboardTest, TheMenuKeyWithoutAFocusOpensTheItemMenuOrElseTheBundleMenu) {
  app::select_bundle(state, 2);
  const std::string doomed = state.store.bundles[2].id;
  platform.menu_choices = {static_cast<int>(app::BundleCommand::remove)};
  app::open_focus_menu(state);
  ASSERT_EQ(platform.menus.size(), 1u);
  EXPECT_EQ(platform.menus[0].entries.size(), app::bundle_menu_entries(&state.store.bundles[2]).size());
  for (const auto& bundle : state.store.bundles) EXPECT_NE(bundle.id, doomed);
  state.focus.reset();
  app::select_bundle(state, 0);
  state.selected_item = 0;
  app::open_focus_menu(state);
  ASSERT_EQ(platform.menus.size(), 2u);
  EXPECT_EQ(platform.menus[1].entries[0].label, "Open just this");
}

}  // namespace
