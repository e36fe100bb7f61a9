#include "app/input/mouse.h"

#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include "app/input/search.h"
#include "app/view/hits.h"
#include "app/view/selection.h"
#include "bundle/store_file.h"
#include "temp_dir.h"
#include "view_fixture.h"

namespace {

using app::RegionKind;

float centre_x(const gfx::RectF& r) { return r.x + r.w / 2; }
float centre_y(const gfx::RectF& r) { return r.y + r.h / 2; }

class Mouse : public testing_support::ViewFixture {
 protected:
  testing_support::TempDir temp;

  void SetUp() override {
    platform.measure = &measure;
    state.store_path = temp.file("bundles.json");
    bundles(4, 3);
    app::select_bundle(state, 0);
  }
  gfx::RectF item_row(std::size_t i) { return *app::item_row_rect(layout(), i); }
  const app::SidebarRow& sidebar_row(std::size_t i) { return layout_cache = layout(), layout_cache.rows.at(i); }
  std::vector<std::string> targets() {
    std::vector<std::string> out;
    for (const auto& item : state.store.bundles[0].items) out.push_back(item.target);
    return out;
  }
  app::ViewLayout layout_cache;
};

TEST_F(Mouse, ADragStartsOnlyPastFiveDipsVerticallyOrTwelveHorizontally) {
  window(1000, 700, 144);
  const gfx::RectF row = item_row(1);
  const float x = centre_x(row), y = centre_y(row);
  app::on_left_button_down(state, x, y);
  EXPECT_EQ(state.pressed.region, (std::optional<app::Region>{{RegionKind::item_row, 1}}));
  app::on_mouse_move(state, x, y + 7.5f, true);  // exactly 5 DIPs at 144 DPI
  app::on_mouse_move(state, x + 18, y, true);     // exactly 12 DIPs
  EXPECT_FALSE(state.item_drag);
  app::on_mouse_move(state, x, y + 8.5f, true);
  ASSERT_TRUE(state.item_drag);
  EXPECT_EQ(state.item_drag->index, 1u);
  EXPECT_FLOAT_EQ(state.item_drag->grab_offset, y - row.y);
  EXPECT_EQ(state.selected_item, 1u);
}

TEST_F(Mouse, NoDragWithoutTheButtonOrFromAnotherRegion) {
  const gfx::RectF row = item_row(0);
  app::on_left_button_down(state, centre_x(row), centre_y(row));
  app::on_mouse_move(state, centre_x(row), centre_y(row) + 40, false);
  EXPECT_FALSE(state.item_drag);
  const auto& r = sidebar_row(1);
  app::on_left_button_down(state, centre_x(r.rect) - 40, centre_y(r.rect));
  app::on_mouse_move(state, centre_x(r.rect), centre_y(r.rect) + 40, true);
  EXPECT_FALSE(state.item_drag);
}

TEST_F(Mouse, DroppingBelowTheLastRowMovesToTheEndAndSaves) {
  const auto before = targets();
  const gfx::RectF row = item_row(0);
  app::on_left_button_down(state, centre_x(row), centre_y(row));
  app::on_mouse_move(state, centre_x(row), centre_y(row) + 20, true);
  app::on_mouse_move(state, centre_x(row), 690, true);
  // Released outside the window: the capture still brings the release here.
  app::on_left_button_up(state, centre_x(row), 5000);
  EXPECT_FALSE(state.item_drag);
  EXPECT_EQ(targets(), (std::vector<std::string>{before[1], before[2], before[0]}));
  EXPECT_EQ(state.selected_item, 2u);
  EXPECT_EQ(testing_support::read_all(state.store_path), bundle::serialize_store(state.store));
  // No click is dispatched after a drag.
  EXPECT_FALSE(state.pressed.region);
  EXPECT_EQ(platform.pointer_calls.back(), "release");
}

TEST_F(Mouse, DroppingAboveTheFirstRowMovesToTheStart) {
  const auto before = targets();
  const gfx::RectF row = item_row(2);
  app::on_left_button_down(state, centre_x(row), centre_y(row));
  app::on_mouse_move(state, centre_x(row), 0, true);
  app::on_left_button_up(state, centre_x(row), 0);
  EXPECT_EQ(targets(), (std::vector<std::string>{before[2], before[0], before[1]}));
}

TEST_F(Mouse, DroppingOnItsOwnPlaceChangesAndSavesNothing) {
  const auto before = targets();
  const gfx::RectF row = item_row(1);
  app::on_left_button_down(state, centre_x(row), centre_y(row));
  app::on_mouse_move(state, centre_x(row) + 30, centre_y(row) + 10, true);
  app::on_left_button_up(state, centre_x(row) + 30, centre_y(row) + 10);
  EXPECT_EQ(targets(), before);
  EXPECT_FALSE(std::filesystem::exists(state.store_path));
}

TEST_F(Mouse, LosingTheCaptureCancelsTheDrag) {
  const auto before = targets();
  const gfx::RectF row = item_row(0);
  app::on_left_button_down(state, centre_x(row), centre_y(row));
  app::on_mouse_move(state, centre_x(row), 690, true);
  app::on_capture_lost(state);
  EXPECT_FALSE(state.item_drag);
  app::on_left_button_up(state, centre_x(row), 690);
  EXPECT_EQ(targets(), before);
}

TEST_F(Mouse, AClickNeedsTheSameRegionAndForRowsTheSameIndex) {
  const gfx::RectF row1 = sidebar_row(1).rect;
  const gfx::RectF row2 = sidebar_row(2).rect;
  app::on_left_button_down(state, row1.x + 10, centre_y(row1));
  app::on_left_button_up(state, row2.x + 10, centre_y(row2));
  EXPECT_EQ(state.selected_bundle, 0u);
  app::on_left_button_down(state, row1.x + 10, centre_y(row1));
  app::on_left_button_up(state, row1.x + 30, centre_y(row1) + 3);
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_EQ(platform.settings["Selected"], "b1");
}

TEST_F(Mouse, AddButtonsClickWithinTheButtonAndAskTheDialogs) {
  const auto buttons = layout().content->add_buttons;
  ASSERT_EQ(buttons.size(), 4u);
  const gfx::RectF files = buttons[0].rect;
  platform.open_answer = {"C:\\new\\report.xlsx", "C:\\Tools\\tool.exe"};
  app::on_left_button_down(state, files.x + 5, centre_y(files));
  app::on_left_button_up(state, files.right() - 5, centre_y(files));
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].title, "Files to add to the bundle");
  EXPECT_EQ(state.store.bundles[0].items.size(), 5u);
  EXPECT_EQ(state.store.bundles[0].items[4].kind, bundle::Kind::app);

  const gfx::RectF apps = buttons[2].rect;
  platform.open_answer.clear();  // cancelled: nothing added
  platform.menu_choices = {1};    // "Browse for a program…" of the menu the button shows
  app::on_left_button_down(state, centre_x(apps), centre_y(apps));
  app::on_left_button_up(state, centre_x(apps), centre_y(apps));
  ASSERT_EQ(platform.menus.size(), 1u);
  EXPECT_EQ(platform.menus[0].entries.size(), 2u);
  ASSERT_EQ(platform.dialogs.size(), 2u);
  EXPECT_EQ(platform.dialogs[1].start, app::StartFolder::common_programs);
  ASSERT_EQ(platform.dialogs[1].filters.size(), 2u);
  EXPECT_EQ(platform.dialogs[1].filters[0].pattern, "*.exe;*.lnk;*.bat;*.cmd;*.appref-ms");
  EXPECT_EQ(state.store.bundles[0].items.size(), 5u);

  const gfx::RectF folder = buttons[1].rect;
  platform.folder_answer = "D:\\Work";
  app::on_left_button_down(state, centre_x(folder), centre_y(folder));
  app::on_left_button_up(state, centre_x(folder), centre_y(folder));
  EXPECT_EQ(state.store.bundles[0].items.back(), (bundle::Item{bundle::Kind::folder, "D:\\Work", "", ""}));
}

TEST_F(Mouse, RemoveButtonRemovesWithUndo) {
  const gfx::RectF remove = layout().content->rows.at(1).remove;
  app::on_left_button_down(state, centre_x(remove), centre_y(remove));
  app::on_left_button_up(state, centre_x(remove), centre_y(remove));
  EXPECT_EQ(state.store.bundles[0].items.size(), 2u);
  ASSERT_TRUE(state.toast);
  EXPECT_TRUE(state.toast->has_undo());
  EXPECT_TRUE(state.undo);
}

TEST_F(Mouse, DoubleClicksOpenAnItemOrABundle) {
  platform.existing = {"C:\\f\\1.txt"};
  const gfx::RectF row = item_row(1);
  app::on_double_click(state, centre_x(row), centre_y(row));
  ASSERT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(platform.started[0].target, "C:\\f\\1.txt");

  const gfx::RectF bundle_row = sidebar_row(2).rect;
  app::on_double_click(state, bundle_row.x + 10, centre_y(bundle_row));
  EXPECT_EQ(state.selected_bundle, 2u);
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].bundle_id, "b2");
}

TEST_F(Mouse, RightClicksOpenTheMenus) {
  const auto& open_button = sidebar_row(3).open;
  app::on_right_button_up(state, centre_x(open_button), centre_y(open_button));
  EXPECT_EQ(state.selected_bundle, 3u);
  const gfx::RectF row = item_row(0);
  app::on_right_button_up(state, centre_x(row), centre_y(row));
  ASSERT_EQ(platform.menus.size(), 2u);
  EXPECT_EQ(platform.menus[0].entries.size(), 13u);  // the bundle menu
  EXPECT_EQ(platform.menus[1].entries.size(), 8u);   // the item menu
  EXPECT_EQ(state.selected_item, 0u);
  app::on_right_button_up(state, 5, 5);  // the top strip: nothing
  EXPECT_EQ(platform.menus.size(), 2u);
}

TEST_F(Mouse, HoverChangesOnlyWhenTheRegionDoes) {
  const auto& r0 = sidebar_row(0).rect;
  app::on_mouse_move(state, r0.x + 5, centre_y(r0), false);
  EXPECT_EQ(platform.pointer_calls.front(), "track");
  const int after_first = platform.invalidations;
  app::on_mouse_move(state, r0.x + 6, centre_y(r0) + 1, false);
  EXPECT_EQ(platform.invalidations, after_first);
  const auto& r1 = sidebar_row(1).rect;
  app::on_mouse_move(state, r1.x + 5, centre_y(r1), false);
  EXPECT_EQ(state.hover, (app::Region{RegionKind::bundle_row, 1}));
  EXPECT_GT(platform.invalidations, after_first);
  app::on_mouse_leave(state);
  EXPECT_EQ(state.hover.kind, RegionKind::background);
  EXPECT_FALSE(state.tracking_leave);
}

// Pointer moves hit-test the layout kept from the last one; a change the
// window shows, or a new window size, is seen by the next move.
TEST_F(Mouse, MovesOverAnUnchangedViewLayOutNothing) {
  const gfx::RectF r0 = sidebar_row(0).rect;
  app::on_mouse_move(state, r0.x + 5, centre_y(r0), false);  // a new hover asks for a frame
  app::on_mouse_move(state, r0.x + 6, centre_y(r0), false);
  const int measured = measure.calls;
  app::on_mouse_move(state, r0.x + 7, centre_y(r0) + 1, false);
  EXPECT_EQ(measure.calls, measured);

  app::on_search_text_changed(state, "bundle 3");  // the first row shows bundle 3, lower down
  const gfx::RectF first = sidebar_row(0).rect;
  app::on_mouse_move(state, first.x + 5, centre_y(first), false);
  EXPECT_EQ(state.hover, (app::Region{RegionKind::bundle_row, 3}));

  window(r0.w / 2, 700, 96);  // the sidebar shrinks: the point is in the content column now
  app::on_mouse_move(state, r0.x + r0.w - 2, centre_y(r0), false);
  EXPECT_NE(state.hover.kind, RegionKind::bundle_row);
  EXPECT_NE(state.hover.kind, RegionKind::bundle_open);
}

TEST_F(Mouse, OneWheelNotchIs100DipsAndStopsAtTheEnds) {
  window(1000, 300, 144);
  bundles(3, 40);
  app::select_bundle(state, 0);
  const auto l = layout();
  app::on_wheel(state, l.content_left + 10, 100, -120);
  EXPECT_FLOAT_EQ(state.content_scroll, 150);
  app::on_wheel(state, l.content_left + 10, 100, 240);
  EXPECT_FLOAT_EQ(state.content_scroll, 0);
  app::on_wheel(state, l.content_left + 10, 100, -120 * 1000);
  EXPECT_FLOAT_EQ(state.content_scroll, app::content_max_scroll(layout()));
  // Left of the sidebar's edge the sidebar scrolls instead.
  const float content = state.content_scroll;
  app::on_wheel(state, 10, 100, -120);
  EXPECT_FLOAT_EQ(state.sidebar_scroll, std::min(150.0f, app::sidebar_max_scroll(layout())));
  EXPECT_GT(state.sidebar_scroll, 0);
  EXPECT_FLOAT_EQ(state.content_scroll, content);
}

TEST_F(Mouse, ClickingNothingClearsTheSelectedItem) {
  state.selected_item = 1;
  app::dispatch_click(state, {RegionKind::background, 0}, 0, 0);
  EXPECT_FALSE(state.selected_item);
}

}  // namespace
