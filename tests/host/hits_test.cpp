#include "app/view/hits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/view/view_text.h"
#include "view_fixture.h"

namespace {

using app::Region;
using app::RegionKind;
using testing_support::FakeMeasure;
using testing_support::ViewFixture;

using HitTest = ViewFixture;

// The view's measures worked out by hand for a window of `width` × `height`
// at `dpi` with at most five bundles (no search box).
struct Geometry {
  float s, W, H, S, X, C, T, L, B, V;
  float row_pitch, row_height, item_pitch, item_height;

  Geometry(float width, float height, std::uint32_t dpi) : W(width), H(height) {
    s = dpi / 96.0f;
    S = std::round(std::min(340 * s, std::max(250 * s, 0.32f * W)));
    X = std::round(S + 28 * s);
    C = std::max(100.0f, std::min(900 * s, W - (S + 28 * s) - 28 * s));
    T = std::round(52 * s);
    L = T + 12 * s + std::round(38 * s) + 12 * s;
    B = T + 18 * s;
    V = T + 92 * s + std::round(34 * s) + 18 * s;
    row_height = std::round(62 * s);
    row_pitch = row_height + std::round(6 * s);
    item_height = std::round(56 * s);
    item_pitch = item_height + std::round(6 * s);
  }
  float row_top(int i) const { return L + i * row_pitch; }
  float item_top(int i) const { return V + i * item_pitch; }
  // Centre of a bundle row's Open button.
  float row_open_x() const {
    const float w = std::max(58 * s, FakeMeasure::width(app::view_text::open()) + 30 * s);
    return S - 12 * s - 12 * s - w / 2;
  }
  float more_x() const { return X + C - std::round(40 * s) / 2; }
  float open_x() const {
    const float w = std::max(96 * s, FakeMeasure::width(app::view_text::open()) + 62 * s);
    return X + C - std::round(40 * s) - 8 * s - w / 2;
  }
  // Centre of add button k (0 to 3).
  float add_x(int k) const {
    const std::string_view labels[] = {app::view_text::add_files(), app::view_text::add_folder(),
                                       app::view_text::add_app(), app::view_text::add_web_address()};
    float x = X;
    for (int i = 0; i < k; ++i) x += FakeMeasure::width(labels[i]) + 46 * s + 8 * s;
    return x + (FakeMeasure::width(labels[k]) + 46 * s) / 2;
  }
};

struct Point {
  const char* what;
  float x, y;
  Region expected;
};

class HitTestAtDpi : public ViewFixture, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(HitTestAtDpi, EachRegionAtItsPlace) {
  const std::uint32_t dpi = GetParam();
  const float s = dpi / 96.0f;
  const Geometry g(1000 * s, 700 * s, dpi);
  window(g.W, g.H, dpi);
  bundles(3, 3);
  state.selected_bundle = 1;
  const app::ViewLayout v = layout();

  const Point points[] = {
      {"top strip over the sidebar", g.S / 2, g.T / 2, {}},
      {"top strip over the content", g.X + 50 * s, g.T - 1, {}},
      {"settings button", g.W - 10 * s - 18 * s, g.T / 2, {RegionKind::settings_menu, 0}},
      {"New bundle", g.S / 2, g.T + 12 * s + 19 * s, {RegionKind::new_bundle, 0}},
      {"New bundle's left margin", 6 * s, g.T + 12 * s + 19 * s, {}},
      {"bundle row 0", 30 * s, g.row_top(0) + 31 * s, {RegionKind::bundle_row, 0}},
      {"bundle row 2", 30 * s, g.row_top(2) + 1, {RegionKind::bundle_row, 2}},
      {"row 1's Open button", g.row_open_x(), g.row_top(1) + 31 * s, {RegionKind::bundle_open, 1}},
      {"row 1 right of its Open button", g.S - 12 * s - 6 * s, g.row_top(1) + 31 * s, {RegionKind::bundle_row, 1}},
      {"gap between rows 0 and 1", 30 * s, g.row_top(0) + g.row_height + 1, {}},
      {"sidebar below the rows", 30 * s, g.row_top(3) + 10 * s, {}},
      {"title", g.X + 10 * s, g.B + 20 * s, {RegionKind::title, 1}},
      {"title's left margin", g.X - 4 * s, g.B + 20 * s, {RegionKind::title, 1}},
      {"Open", g.open_x(), g.B + 20 * s, {RegionKind::open, 1}},
      {"more", g.more_x(), g.B + 20 * s, {RegionKind::more, 1}},
      {"subtitle line", g.X + 10 * s, g.B + 50 * s, {}},
      {"Add files…", g.add_x(0), g.T + 92 * s + 17 * s, {RegionKind::add_files, 0}},
      {"Add folder…", g.add_x(1), g.T + 92 * s + 17 * s, {RegionKind::add_folder, 0}},
      {"Add app…", g.add_x(2), g.T + 92 * s + 17 * s, {RegionKind::add_app, 0}},
      {"Add web address…", g.add_x(3), g.T + 92 * s + 17 * s, {RegionKind::add_web_address, 0}},
      {"item row 0", g.X + 100 * s, g.item_top(0) + 28 * s, {RegionKind::item_row, 0}},
      {"item row 2", g.X + 100 * s, g.item_top(2) + 1, {RegionKind::item_row, 2}},
      {"item 1's remove button", g.X + g.C - 10 * s - 16 * s, g.item_top(1) + 28 * s, {RegionKind::item_remove, 1}},
      {"item 1 right of its remove button", g.X + g.C - 5 * s, g.item_top(1) + 28 * s, {RegionKind::item_row, 1}},
      {"gap between items", g.X + 100 * s, g.item_top(0) + g.item_height + 1, {}},
      {"below the items", g.X + 100 * s, g.item_top(3) + 20 * s, {}},
      {"content margin left of X", g.S + 10 * s, g.item_top(0) + 28 * s, {}},
  };
  for (const Point& p : points) {
    EXPECT_EQ(app::hit_test(v, state, p.x, p.y), p.expected) << p.what << " at " << p.x << ", " << p.y;
  }
}

INSTANTIATE_TEST_SUITE_P(Dpi, HitTestAtDpi, ::testing::Values(96u, 144u));

TEST_F(HitTest, ToastUndoComesBeforeEverything) {
  bundles(1, 30);
  state.selected_bundle = 0;
  state.toast = app::Toast{"Removed “x”", 0, app::ToastAction::undo};
  const app::ViewLayout v = layout();
  ASSERT_TRUE(v.toast && v.toast->action);
  const gfx::RectF undo = *v.toast->action;
  const float x = undo.x + undo.w / 2, y = undo.y + undo.h / 2;
  // An item row lies under the toast...
  state.toast.reset();
  EXPECT_EQ(app::hit_test(layout(), state, x, y).kind, RegionKind::item_row);
  // ...but the Undo button wins; the rest of the bar is no region of its own.
  state.toast = app::Toast{"Removed “x”", 0, app::ToastAction::undo};
  EXPECT_EQ(app::hit_test(v, state, x, y), (Region{RegionKind::toast_action, 0}));
  EXPECT_EQ(app::hit_test(v, state, v.toast->bar.x + 4, y).kind, RegionKind::item_row);
}

TEST_F(HitTest, PlainToastHasNoHitRegion) {
  bundles(1, 30);
  state.selected_bundle = 0;
  state.toast = app::Toast{"Opened 3 items", 0, app::ToastAction::none};
  const app::ViewLayout v = layout();
  ASSERT_TRUE(v.toast);
  EXPECT_EQ(app::hit_test(v, state, v.toast->bar.x + v.toast->bar.w / 2, v.toast->bar.y + 20).kind,
            RegionKind::item_row);
}

TEST_F(HitTest, SettingsButtonIsTheOnlyRegionAboveTheTopStrip) {
  bundles(2, 2);
  state.selected_bundle = 0;
  const app::ViewLayout v = layout();
  EXPECT_EQ(app::hit_test(v, state, 1000 - 10 - 18, 26).kind, RegionKind::settings_menu);
  EXPECT_EQ(app::hit_test(v, state, 1000 - 10 - 37, 26).kind, RegionKind::background);
  EXPECT_EQ(app::hit_test(v, state, 1000 - 10 - 18, 5).kind, RegionKind::background);  // above the square
  for (float x : {5.0f, 160.0f, 400.0f, 900.0f}) EXPECT_EQ(app::hit_test(v, state, x, 51).kind, RegionKind::background);
}

TEST_F(HitTest, CreateFirstBundleOnlyWithoutBundles) {
  const app::ViewLayout empty = layout();
  ASSERT_TRUE(empty.welcome);
  const gfx::RectF create = empty.welcome->create;
  const float x = create.x + create.w / 2, y = create.y + create.h / 2;
  EXPECT_EQ(app::hit_test(empty, state, x, y), (Region{RegionKind::create_first_bundle, 0}));
  EXPECT_EQ(app::hit_test(empty, state, create.x - 1, y).kind, RegionKind::background);

  bundles(2);
  EXPECT_EQ(app::hit_test(layout(), state, x, y).kind, RegionKind::background);
}

TEST_F(HitTest, ItemRowsOnlyBelowTheListTopLessSix) {
  bundles(1, 30);
  state.selected_bundle = 0;
  state.content_scroll = 20;  // row 0 now reaches 20 pixels above V
  const app::ViewLayout v = layout();
  const float V = v.content->list_top;
  const float x = v.content_left + 300;  // right of the add buttons
  ASSERT_LT(v.content->rows[0].rect.y, V - 7);
  EXPECT_EQ(app::hit_test(v, state, x, V - 7).kind, RegionKind::background);
  EXPECT_EQ(app::hit_test(v, state, x, V - 6), (Region{RegionKind::item_row, 0}));
}

TEST_F(HitTest, SidebarRowsOnlyBelowTheListTop) {
  bundles(12);
  state.sidebar_scroll = 30;  // row 0 reaches 30 pixels above L, under the search box
  const app::ViewLayout v = layout();
  ASSERT_FALSE(v.rows.empty());
  ASSERT_LT(v.rows[0].rect.y, v.list_top - 1);
  EXPECT_EQ(app::hit_test(v, state, 30, v.list_top - 1).kind, RegionKind::background);
  EXPECT_EQ(app::hit_test(v, state, 30, v.list_top), (Region{RegionKind::bundle_row, 0}));
}

TEST_F(HitTest, DraggedRowIsNotARegion) {
  bundles(1, 5);
  state.selected_bundle = 0;
  state.item_drag = app::AppState::ItemDrag{0, 196 + 10 + 2 * 62 + 20, 10};  // item 0 over place 2
  const app::ViewLayout v = layout();
  // Place 2 holds the placeholder under the dragged row; items 1 and 3 sit at places 0 and 3.
  EXPECT_EQ(app::hit_test(v, state, 400, 196 + 2 * 62 + 25).kind, RegionKind::background);
  EXPECT_EQ(app::hit_test(v, state, 400, 196 + 3 * 62 + 25), (Region{RegionKind::item_row, 3}));
  EXPECT_EQ(app::hit_test(v, state, 400, 196 + 25), (Region{RegionKind::item_row, 1}));
}

TEST_F(HitTest, RowsOfBundlesGoneSinceTheLayoutAreNoRegion) {
  bundles(3);
  const app::ViewLayout v = layout();
  const float y = v.rows[2].rect.y + 10;
  EXPECT_EQ(app::hit_test(v, state, 30, y), (Region{RegionKind::bundle_row, 2}));
  state.store.bundles.pop_back();
  EXPECT_EQ(app::hit_test(v, state, 30, y).kind, RegionKind::background);
}

// ---- file drop target ----------------------------------------------------------

TEST_F(HitTest, DropTargetIsANewBundleWithoutBundles) {
  const auto target = app::drop_target_at(layout(), state, 500, 300);
  ASSERT_TRUE(target);
  EXPECT_FALSE(target->bundle);
}

TEST_F(HitTest, DropTargetIsTheRowUnderThePointElseTheSelectedBundle) {
  bundles(3);
  app::ViewLayout v = layout();
  const float row_y = v.rows[2].rect.y + 10;
  EXPECT_FALSE(app::drop_target_at(v, state, 500, 300));  // nothing selected: refused
  EXPECT_EQ(app::drop_target_at(v, state, 30, row_y)->bundle, 2u);
  state.selected_bundle = 0;
  v = layout();
  EXPECT_EQ(app::drop_target_at(v, state, 500, 300)->bundle, 0u);
  EXPECT_EQ(app::drop_target_at(v, state, 30, row_y)->bundle, 2u);
  EXPECT_EQ(app::drop_target_at(v, state, 30, v.list_top - 20)->bundle, 0u);  // above the list
}

}  // namespace
