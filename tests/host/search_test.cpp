#include "app/bundles/select.h"
#include "app/input/search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/input/mouse.h"
#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "app/view/selection.h"
#include "bundle/store_file.h"
#include "temp_dir.h"
#include "view_fixture.h"

namespace {

using app::SearchKey;

// Seven bundles of three files; "r" finds all but blue.
class SearchTest : public testing_support::ViewFixture {
 protected:
  testing_support::TempDir temp;

  void SetUp() override {
    platform.measure = &measure;
    state.store_path = temp.file("bundles.json");
    bundles(7, 3);
    const char* names[] = {"red", "green", "reef", "blue", "tree", "core", "rest"};
    for (std::size_t i = 0; i < 7; ++i) state.store.bundles[i].name = names[i];
  }
  // Sends the keys and returns the selection afterwards.
  std::optional<std::size_t> keys(std::initializer_list<SearchKey> ks) {
    for (SearchKey k : ks) app::on_search_key(state, k);
    return state.selected_bundle;
  }
  long focus_calls() const { return std::count(platform.pointer_calls.begin(), platform.pointer_calls.end(), "focus"); }
};

TEST_F(SearchTest, TextIsTrimmedAndTheSelectionKeptVisible) {
  app::select_bundle(state, 3);  // blue
  state.sidebar_scroll = 50;
  app::on_search_text_changed(state, " \tre  ");
  EXPECT_EQ(state.search_text, "re");
  EXPECT_EQ(state.selected_bundle, 0u);  // blue is hidden: the first visible one
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 0);
  EXPECT_EQ(platform.settings["Selected"], "b0");

  app::select_bundle(state, 5);
  state.sidebar_scroll = 50;
  app::on_search_text_changed(state, "r");  // core is still visible
  EXPECT_EQ(state.selected_bundle, 5u);
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 0);
  app::on_search_text_changed(state, "ee");  // green, reef
  EXPECT_EQ(state.selected_bundle, 1u);
  app::on_search_text_changed(state, "zzz");  // nothing matches: the selection stays
  EXPECT_EQ(state.selected_bundle, 1u);

  app::select_bundle(state, std::nullopt);
  app::on_search_text_changed(state, "   ");
  EXPECT_EQ(state.search_text, "");
  EXPECT_EQ(state.selected_bundle, 0u);
}

TEST_F(SearchTest, EscapeClearsAndClosesTheSearch) {
  state.search_open = true;
  app::select_bundle(state, 4);
  app::on_search_text_changed(state, "tree");
  state.sidebar_scroll = 30;
  EXPECT_EQ(keys({SearchKey::escape}), 4u);
  EXPECT_EQ(state.search_text, "");
  EXPECT_FALSE(state.search_open);
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 0);
  EXPECT_EQ(platform.search_box_cleared, 1);
  EXPECT_EQ(focus_calls(), 1);
}

TEST_F(SearchTest, EnterUpAndDownStayWithinTheVisibleBundles) {
  app::select_bundle(state, 4);
  app::on_search_text_changed(state, "r");
  EXPECT_EQ(keys({SearchKey::enter}), 4u);  // visible: kept
  app::select_bundle(state, 3);
  EXPECT_EQ(keys({SearchKey::enter}), 0u);  // hidden: the first visible one
  EXPECT_EQ(keys({SearchKey::up}), 0u);     // already the first
  EXPECT_EQ(keys({SearchKey::down, SearchKey::down, SearchKey::down}), 4u);  // blue skipped
  EXPECT_EQ(keys({SearchKey::down, SearchKey::down, SearchKey::down}), 6u);  // stops at the last
  EXPECT_EQ(keys({SearchKey::up}), 5u);
  app::select_bundle(state, 3);
  EXPECT_EQ(keys({SearchKey::up}), 0u);  // from a hidden bundle: the first visible one
  EXPECT_EQ(focus_calls(), 11);
  EXPECT_EQ(state.search_text, "r");

  app::on_search_text_changed(state, "zzz");
  app::select_bundle(state, 3);
  EXPECT_EQ(keys({SearchKey::down, SearchKey::up, SearchKey::enter}), 3u);
}

// A drag cut short by another change moves nothing, and its release is no click.
class SearchDuringItemDrag : public SearchTest {
 protected:
  void start_drag(std::size_t bundle) {
    app::select_bundle(state, bundle);
    const gfx::RectF r = *app::item_row_rect(layout(), 0);
    x = r.x + r.w / 2;
    y = r.y + r.h / 2;
    app::on_left_button_down(state, x, y);
    app::on_mouse_move(state, x, 690, true);
    ASSERT_TRUE(state.item_drag);
  }
  float x = 0, y = 0;  // the press point
};

TEST_F(SearchDuringItemDrag, ASelectionChangeEndsTheDrag) {
  const bundle::Store before = state.store;
  start_drag(3);
  app::on_search_text_changed(state, "re");  // blue is hidden: red is selected
  ASSERT_EQ(state.selected_bundle, 0u);
  EXPECT_FALSE(state.item_drag);
  // Back to the press point and let go there: no new drag and no click on red's first item.
  app::on_mouse_move(state, x, 680, true);
  app::on_mouse_move(state, x, y, true);
  EXPECT_FALSE(state.item_drag);
  app::on_left_button_up(state, x, y);
  EXPECT_EQ(state.store, before);
  EXPECT_FALSE(state.selected_item);
  EXPECT_FALSE(std::filesystem::exists(state.store_path));
}

TEST_F(SearchDuringItemDrag, SavingTheStoreEndsTheDrag) {
  start_drag(2);
  state.store.bundles[2].name = "renamed";
  app::save_store(state);
  EXPECT_FALSE(state.item_drag);
  EXPECT_FALSE(state.pressed.region);
  const bundle::Store saved = state.store;
  app::on_mouse_move(state, x, 695, true);
  app::on_left_button_up(state, x, 695);
  EXPECT_EQ(state.store, saved);
  EXPECT_EQ(testing_support::read_all(state.store_path), bundle::serialize_store(saved));
}

}  // namespace
