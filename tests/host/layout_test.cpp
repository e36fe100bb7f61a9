#include "app/view/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "app/view/view_text.h"
#include "lang/lang.h"
#include "view_fixture.h"

namespace {

using testing_support::expect_rect;
using testing_support::FakeMeasure;
using testing_support::ViewFixture;

using ViewLayoutTest = ViewFixture;

// ---- column geometry -------------------------------------------------------

struct ColumnCase {
  float width;
  std::uint32_t dpi;
  float sidebar, content_left, content_width, top;
};

TEST_F(ViewLayoutTest, ColumnsFollowTheWindowWidthAndDpi) {
  const ColumnCase cases[] = {
      {700, 96, 250, 278, 394, 52},     // 0.32 × 700 = 224 is below the minimum
      {1500, 96, 340, 368, 900, 52},    // 480 is above the maximum; content capped at 900
      {1000, 96, 320, 348, 624, 52},    // 0.32 × W in between
      {300, 96, 250, 278, 100, 52},     // content never narrower than 100 pixels
      {1500, 144, 480, 522, 936, 78},   // s = 1.5: 375 ≤ 480 ≤ 510
      {1000, 120, 320, 355, 610, 65},   // s = 1.25: X = round(320 + 35), T = round(65)
  };
  for (const ColumnCase& c : cases) {
    window(c.width, 700, c.dpi);
    const app::ViewLayout v = layout();
    SCOPED_TRACE(testing::Message() << c.width << " px at " << c.dpi << " DPI");
    EXPECT_FLOAT_EQ(v.sidebar_width, c.sidebar);
    EXPECT_FLOAT_EQ(v.content_left, c.content_left);
    EXPECT_FLOAT_EQ(v.content_width, c.content_width);
    EXPECT_FLOAT_EQ(v.top, c.top);
  }
}

// ---- sidebar ---------------------------------------------------------------

TEST_F(ViewLayoutTest, SearchBoxAppearsWithTheSixthBundleAndMovesTheList) {
  for (std::uint32_t dpi : {96u, 144u}) {
    const float s = dpi / 96.0f;
    window(1000, 700, dpi);
    bundles(5);
    const app::ViewLayout five = layout();
    bundles(6);
    const app::ViewLayout six = layout();
    SCOPED_TRACE(dpi);
    EXPECT_FALSE(five.search_box);
    ASSERT_TRUE(six.search_box);
    EXPECT_FLOAT_EQ(six.list_top - five.list_top, 8 * s + std::round(34 * s));
    EXPECT_FLOAT_EQ(five.list_top, std::round(52 * s) + 12 * s + std::round(38 * s) + 12 * s);
    expect_rect(*six.search_box, 12 * s, std::round(52 * s) + 12 * s + std::round(38 * s) + 8 * s,
                six.sidebar_width - 24 * s, std::round(34 * s));
  }
}

TEST_F(ViewLayoutTest, SearchTextOrCtrlFOpenTheSearchBoxWithFewBundles) {
  bundles(2);
  state.search_text = "zzz";
  EXPECT_TRUE(layout().search_box);
  state.search_text.clear();
  state.search_open = true;
  EXPECT_TRUE(layout().search_box);
  state.search_open = false;
  EXPECT_FALSE(layout().search_box);
}

TEST_F(ViewLayoutTest, SidebarRowsAndTheirOpenButtons) {
  bundles(3);
  const app::ViewLayout v = layout();
  // 96 DPI, W 1000: S 320, T 52, L = 52 + 12 + 38 + 12.
  expect_rect(v.new_bundle, 12, 64, 296, 38);
  ASSERT_EQ(v.rows.size(), 3u);
  const float open_width = std::max(58.0f, FakeMeasure::width(app::view_text::open()) + 30);
  for (std::size_t i = 0; i < 3; ++i) {
    const app::SidebarRow& row = v.rows[i];
    EXPECT_EQ(row.bundle, i);
    expect_rect(row.rect, 12, 114 + 68.0f * i, 296, 62);
    expect_rect(row.open, 308 - 12 - open_width, 114 + 68.0f * i + 15, open_width, 32);
    expect_rect(row.name, 28, 114 + 68.0f * i + 9, row.open.x - 10 - 28, 24);
    expect_rect(row.count, 28, 114 + 68.0f * i + 33, row.open.x - 10 - 28, 20);
  }
  expect_rect(v.settings, 1000 - 10 - 36, 8, 36, 36);
  EXPECT_FALSE(v.empty_list);
}

TEST_F(ViewLayoutTest, SearchShowsOnlyMatchingBundlesIgnoringCase) {
  bundles(12);
  state.search_text = "BUNDLE 1";
  const app::ViewLayout v = layout();
  EXPECT_EQ(v.visible_count, 3u);
  ASSERT_EQ(v.rows.size(), 3u);
  EXPECT_EQ(v.rows[0].bundle, 1u);
  EXPECT_EQ(v.rows[1].bundle, 10u);
  EXPECT_EQ(v.rows[2].bundle, 11u);
  EXPECT_EQ(v.rows[1].visible, 1u);
  // The second visible row sits in the second place, whatever its store position.
  EXPECT_FLOAT_EQ(v.rows[1].rect.y, v.list_top + v.row_pitch);
}

TEST_F(ViewLayoutTest, EmptyListTextWithoutVisibleRows) {
  bundles(0);
  EXPECT_TRUE(layout().empty_list);
  bundles(3);
  state.search_text = "nothing like it";
  const app::ViewLayout v = layout();
  EXPECT_TRUE(v.rows.empty());
  ASSERT_TRUE(v.empty_list);
  EXPECT_FLOAT_EQ(v.empty_list->y, v.list_top);
}

TEST_F(ViewLayoutTest, RowsAboveTheListTopOrBelowTheWindowAreNotLaidOut) {
  bundles(30);
  window(1000, 500, 96);
  state.sidebar_scroll = 100;  // row 1 (top L + 68 − 100 = L − 32) ends at L + 30
  const app::ViewLayout v = layout();
  ASSERT_FALSE(v.rows.empty());
  EXPECT_EQ(v.rows.front().bundle, 1u);
  for (const app::SidebarRow& row : v.rows) {
    EXPECT_GT(row.rect.bottom(), v.list_top - 4);
    EXPECT_LT(row.rect.y, 500);
  }
  // The next row would start at or below the bottom edge.
  EXPECT_GE(v.rows.back().rect.y + v.row_pitch, 500);
}

TEST_F(ViewLayoutTest, ListsAreCutFourAndSixPixelsAboveTheirTops) {
  bundles(30, 30);
  state.selected_bundle = 0;
  struct Case {
    float scroll;
    std::size_t first;
  };
  // Row 0 ends at L − 2 (still drawn, reaching into the 4-pixel margin), then at L − 4.
  for (const Case& c : {Case{64, 0}, Case{66, 1}}) {
    state.sidebar_scroll = c.scroll;
    EXPECT_EQ(layout().rows.front().bundle, c.first) << c.scroll;
  }
  // Item 0 ends at V − 5, then at V − 6.
  for (const Case& c : {Case{61, 0}, Case{62, 1}}) {
    state.content_scroll = c.scroll;
    EXPECT_EQ(layout().content->rows.front().item, c.first) << c.scroll;
  }
}

TEST_F(ViewLayoutTest, A100000BundleStoreLaysOutOnlyTheRowsOnScreen) {
  bundles(100000);
  const app::ViewLayout top = layout();
  // (H − (L − 4)) / pitch rows fit, plus one cut at each end at most.
  const std::size_t fit = static_cast<std::size_t>((700 - (top.list_top - 4)) / top.row_pitch) + 2;
  EXPECT_LE(top.rows.size(), fit);
  EXPECT_GE(top.rows.size(), fit - 2);
  EXPECT_EQ(top.visible_count, 100000u);
  EXPECT_LT(measure.calls, 20);  // labels, never one per bundle

  // Deep in the list: row k starts at L + 68k − scroll; the first one reaching
  // below L − 4 is k = 44117.
  state.sidebar_scroll = 3000000;
  const app::ViewLayout deep = layout();
  ASSERT_FALSE(deep.rows.empty());
  EXPECT_LE(deep.rows.size(), fit);
  EXPECT_EQ(deep.rows.front().bundle, 44117u);
  EXPECT_FLOAT_EQ(deep.rows.front().rect.y, deep.list_top + 68.0f * 44117 - 3000000);
  for (std::size_t i = 1; i < deep.rows.size(); ++i) EXPECT_EQ(deep.rows[i].bundle, 44117 + i);
}

TEST_F(ViewLayoutTest, ABundleWith100000ItemsLaysOutOnlyTheRowsOnScreen) {
  bundles(1, 100000);
  state.selected_bundle = 0;
  state.content_scroll = 620000;
  const app::ViewLayout v = layout();
  ASSERT_TRUE(v.content);
  EXPECT_LE(v.content->rows.size(), 10u);
  ASSERT_FALSE(v.content->rows.empty());
  // Item k starts at V + 62k − 620000; the first below V − 6 is k = 10000.
  EXPECT_EQ(v.content->rows.front().item, 10000u);
  EXPECT_FLOAT_EQ(v.content->rows.front().rect.y, v.content->list_top);
}

// ---- scrolling -------------------------------------------------------------

TEST_F(ViewLayoutTest, SidebarScrollStopsAtItsMaximumAndNeverGoesBelowZero) {
  window(1000, 1000, 144);  // one wheel notch is 150 pixels here
  bundles(30);
  const app::ViewLayout v = layout();
  // L = 78 + 18 + 57 + 12 + 51 + 18 = 234; max = L + 30 × 102 + 24 − H.
  EXPECT_FLOAT_EQ(v.list_top, 234);
  EXPECT_FLOAT_EQ(app::sidebar_max_scroll(v), 234 + 30 * 102 + 24 - 1000);

  state.sidebar_scroll = 150;
  app::clamp_scrolls(state, layout());
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 150);
  for (int notch = 0; notch < 20; ++notch) {
    state.sidebar_scroll += 150;
    app::clamp_scrolls(state, layout());
  }
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 2318);
  for (int notch = 0; notch < 30; ++notch) {
    state.sidebar_scroll -= 150;
    app::clamp_scrolls(state, layout());
  }
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 0);
}

TEST_F(ViewLayoutTest, ShortListsDoNotScroll) {
  bundles(3, 2);
  state.selected_bundle = 0;
  state.sidebar_scroll = 500;
  state.content_scroll = 500;
  const app::ViewLayout v = layout();
  EXPECT_FLOAT_EQ(app::sidebar_max_scroll(v), 0);
  EXPECT_FLOAT_EQ(app::content_max_scroll(v), 0);
  // The rows are placed as if the offsets were already clamped.
  EXPECT_FLOAT_EQ(v.rows.front().rect.y, v.list_top);
  app::clamp_scrolls(state, v);
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 0);
  EXPECT_FLOAT_EQ(state.content_scroll, 0);
}

TEST_F(ViewLayoutTest, ContentMaximumCountsTheSelectedBundlesItems) {
  window(1500, 1000, 144);
  bundles(2, 20);
  EXPECT_FLOAT_EQ(app::content_max_scroll(layout()), 0);  // nothing selected
  state.selected_bundle = 1;
  const app::ViewLayout v = layout();
  // V = 78 + 138 + 51 + 27 = 294; pitch 84 + 9.
  ASSERT_TRUE(v.content);
  EXPECT_FLOAT_EQ(v.content->list_top, 294);
  EXPECT_FLOAT_EQ(app::content_max_scroll(v), 294 + 20 * 93 + 105 - 1000);
}

TEST_F(ViewLayoutTest, ScrollToTheEndAndBrokenOffsetsAreClamped) {
  bundles(1, 40);
  state.selected_bundle = 0;
  state.content_scroll = std::numeric_limits<float>::max();
  state.sidebar_scroll = std::numeric_limits<float>::quiet_NaN();
  const app::ViewLayout v = layout();
  app::clamp_scrolls(state, v);
  EXPECT_FLOAT_EQ(state.content_scroll, app::content_max_scroll(v));
  EXPECT_GT(state.content_scroll, 0);
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 0);
  state.content_scroll = -std::numeric_limits<float>::infinity();
  app::clamp_scrolls(state, layout());
  EXPECT_FLOAT_EQ(state.content_scroll, 0);
}

// ---- content column ----------------------------------------------------------

TEST_F(ViewLayoutTest, ContentColumnOfTheSelectedBundle) {
  bundles(2, 3);
  state.selected_bundle = 1;
  const app::ViewLayout v = layout();
  ASSERT_TRUE(v.content);
  const app::ContentLayout& c = *v.content;
  EXPECT_EQ(c.bundle, 1u);
  // X 348, C 624, B = 52 + 18.
  expect_rect(c.more, 932, 70, 40, 40);
  const float open_width = std::max(96.0f, FakeMeasure::width(app::view_text::open()) + 62);
  expect_rect(c.open, 932 - 8 - open_width, 70, open_width, 40);
  expect_rect(c.title, 340, 70, c.open.x - 8 - 340, 40);
  EXPECT_FLOAT_EQ(c.subtitle.y, 112);

  ASSERT_EQ(c.add_buttons.size(), 4u);
  const app::RegionKind kinds[] = {app::RegionKind::add_files, app::RegionKind::add_folder, app::RegionKind::add_app,
                                   app::RegionKind::add_web_address};
  float x = 348;
  for (std::size_t i = 0; i < 4; ++i) {
    const float w = FakeMeasure::width(c.add_buttons[i].label) + 46;
    EXPECT_EQ(c.add_buttons[i].kind, kinds[i]);
    expect_rect(c.add_buttons[i].rect, x, 144, w, 34);
    x += w + 8;
  }
  EXPECT_EQ(c.add_buttons[3].label, app::view_text::add_web_address());
  EXPECT_FLOAT_EQ(c.add_bar_bottom, 178);
  EXPECT_FLOAT_EQ(c.list_top, 196);
  EXPECT_FALSE(c.web_entry);

  ASSERT_EQ(c.rows.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    expect_rect(c.rows[i].rect, 348, 196 + 62.0f * i, 624, 56);
    expect_rect(c.rows[i].remove, 930, 196 + 62.0f * i + 12, 32, 32);
  }
  EXPECT_FALSE(c.drop_zone);
}

TEST_F(ViewLayoutTest, OpenButtonsShowTheProgressAndStopOnlyForTheBundleBeingOpened) {
  bundles(2, 1);
  state.selected_bundle = 0;
  state.opening = app::OpeningProgress{"b1", 1, 4};
  EXPECT_EQ(layout().content->open_label, app::view_text::open());
  EXPECT_FALSE(layout().content->stops);
  state.opening = app::OpeningProgress{"b0", 12, 17};
  const app::ViewLayout v = layout();
  EXPECT_EQ(v.content->open_label, "Stop \u00B7 12/17");
  EXPECT_TRUE(v.content->stops);
  EXPECT_FLOAT_EQ(v.content->open.w, std::max(96.0f, FakeMeasure::width("Stop \u00B7 12/17") + 62));
  ASSERT_EQ(v.rows.size(), 2u);
  EXPECT_EQ(v.rows[0].open_label, "12/17");
  EXPECT_EQ(v.rows[1].open_label, app::view_text::open());
  // The row's button widens for a long count and keeps its right edge.
  EXPECT_FLOAT_EQ(v.rows[0].open.w, std::max(v.rows[1].open.w, FakeMeasure::width("12/17") + 30));
  EXPECT_FLOAT_EQ(v.rows[0].open.right(), v.rows[1].open.right());
  state.opening->stopping = true;
  EXPECT_EQ(layout().content->open_label, app::view_text::stopping());
}

TEST_F(ViewLayoutTest, WebAddressEntryOpensBetweenAddBarAndItems) {
  bundles(2, 2);
  state.selected_bundle = 0;
  state.edit = app::ActiveEdit{app::EditMode::web_address, "b1", 0};  // another bundle's entry
  EXPECT_FALSE(layout().content->web_entry);
  state.edit = app::ActiveEdit{app::EditMode::web_address, "b0", 0};
  const app::ViewLayout v = layout();
  const app::ContentLayout& c = *v.content;
  ASSERT_TRUE(c.web_entry);
  expect_rect(*c.web_entry, 348, 188, 0.7f * 624, 38);
  ASSERT_TRUE(c.web_hint);
  expect_rect(*c.web_hint, 348 + 0.7f * 624 + 12, 188, 348 + 624 - (348 + 0.7f * 624 + 12), 38);
  EXPECT_FLOAT_EQ(c.list_top, 188 + 38 + 16);
  EXPECT_FLOAT_EQ(c.rows[0].rect.y, 242);
}

TEST_F(ViewLayoutTest, WebAddressEntryIsAtMost560Wide) {
  window(1500, 700, 96);  // C 900: 0.7 × 900 = 630
  bundles(1);
  state.selected_bundle = 0;
  state.edit = app::ActiveEdit{app::EditMode::web_address, "b0", 0};
  const app::ViewLayout v = layout();
  EXPECT_FLOAT_EQ(v.content->web_entry->w, 560);
  EXPECT_FLOAT_EQ(v.content->web_hint->w, 900 - 560 - 12);
}

TEST_F(ViewLayoutTest, EmptyBundleShowsTheDropZone) {
  bundles(1);
  state.selected_bundle = 0;
  const app::ViewLayout v = layout();
  ASSERT_TRUE(v.content->drop_zone);
  expect_rect(*v.content->drop_zone, 348, 196, 624, 150);
  EXPECT_TRUE(v.content->rows.empty());
}

TEST_F(ViewLayoutTest, NoBundlesShowsTheWelcome) {
  const app::ViewLayout v = layout();
  EXPECT_FALSE(v.content);
  ASSERT_TRUE(v.welcome);
  const app::WelcomeLayout& w = *v.welcome;
  expect_rect(w.title, 348, 108, 624, 36);
  const float height = measure.wrapped_height(app::view_text::welcome_paragraph(), 620);
  ASSERT_GT(height, 18);  // it wraps
  expect_rect(w.paragraph, 348, 156, 620, height);
  expect_rect(w.create, 348, std::round(52 + 104 + height + 26),
              FakeMeasure::width(app::view_text::create_first_bundle()) + 48, 42);
  EXPECT_FLOAT_EQ(w.hint.y, w.create.bottom() + 14);
}

TEST_F(ViewLayoutTest, BundlesWithoutSelectionShowNeitherColumnNorWelcome) {
  bundles(2);
  const app::ViewLayout v = layout();
  EXPECT_FALSE(v.content);
  EXPECT_FALSE(v.welcome);
}

TEST_F(ViewLayoutTest, WithoutTextMeasureFixedWidthsAreUsed) {
  bundles(1, 1);
  state.selected_bundle = 0;
  state.toast = app::Toast{"Saved", 0, app::ToastAction::undo};
  const app::ViewLayout v = fallback_layout();
  EXPECT_FALSE(v.measured);
  EXPECT_FLOAT_EQ(v.rows[0].open.w, 60);
  EXPECT_FLOAT_EQ(v.content->open.w, 90);
  EXPECT_TRUE(v.content->add_buttons.empty());
  EXPECT_FLOAT_EQ(v.content->add_bar_bottom, 52 + 18 + 120);
  EXPECT_FLOAT_EQ(v.content->list_top, 52 + 18 + 120 + 18);
  EXPECT_FALSE(v.toast);

  bundles(0);
  window(1000, 700, 144);
  const app::ViewLayout welcome = fallback_layout();
  ASSERT_TRUE(welcome.welcome);
  EXPECT_FLOAT_EQ(welcome.welcome->paragraph.h, 90);  // 60s
  EXPECT_FLOAT_EQ(welcome.welcome->create.w, 300);    // 200s
  EXPECT_FLOAT_EQ(welcome.welcome->create.y, std::round(78 + 156 + 90 + 39));
}

// ---- item rows ---------------------------------------------------------------

TEST_F(ViewLayoutTest, ItemRowPartsLeaveRoomForTheMissingPill) {
  bundles(1, 1);
  state.selected_bundle = 0;
  const app::ViewLayout v = layout();
  const gfx::RectF row{348, 196, 624, 56};
  const app::ItemRowParts plain = app::item_row_parts(v, row, false);
  expect_rect(plain.grip, 352, 196, 18, 56);
  expect_rect(plain.tile, 372, 209, 30, 30);
  expect_rect(plain.bitmap, 373, 210, 28, 28);
  expect_rect(plain.remove, 930, 208, 32, 32);
  EXPECT_FALSE(plain.pill);
  expect_rect(plain.first_line, 414, 203, 930 - 8 - 414, 22);
  expect_rect(plain.second_line, 414, 225, 930 - 8 - 414, 20);

  const app::ItemRowParts missing = app::item_row_parts(v, row, true);
  const float pill = FakeMeasure::width(app::view_text::not_found()) + 34;
  ASSERT_TRUE(missing.pill);
  const float left = 930 - 8 - pill;
  expect_rect(missing.pill->box, left, 212, pill, 24);
  EXPECT_FLOAT_EQ(missing.pill->radius, 12);
  expect_rect(missing.pill->icon, left + 8, 212, 14, 24);
  EXPECT_FLOAT_EQ(missing.pill->icon_size, 14);
  expect_rect(missing.pill->text, left + 26, 212, pill - 26, 24);
  EXPECT_FLOAT_EQ(missing.first_line.right(), left - 8);
}

TEST_F(ViewLayoutTest, TextColumnIsAtLeastTenWide) {
  window(300, 700, 96);  // C = 100
  bundles(1, 1);
  state.selected_bundle = 0;
  const app::ViewLayout v = layout();
  const app::ItemRowParts parts = app::item_row_parts(v, v.content->rows[0].rect, true);
  EXPECT_FLOAT_EQ(parts.first_line.w, 10);
}

TEST_F(ViewLayoutTest, ItemRowRectByPosition) {
  bundles(1, 5);
  state.selected_bundle = 0;
  state.content_scroll = 30;
  window(1000, 500, 96);  // max = 196 + 310 + 70 − 500 = 76
  const app::ViewLayout v = layout();
  ASSERT_TRUE(app::item_row_rect(v, 4));
  expect_rect(*app::item_row_rect(v, 4), 348, 196 + 4 * 62 - 30, 624, 56);
  EXPECT_FALSE(app::item_row_rect(v, 5));
  state.selected_bundle.reset();
  EXPECT_FALSE(app::item_row_rect(layout(), 0));
}

// ---- item drag ---------------------------------------------------------------

TEST_F(ViewLayoutTest, DropIndexFollowsThePointerWithinTheList) {
  bundles(1, 5);
  state.selected_bundle = 0;
  const app::ViewLayout v = layout();
  const float V = 196, pitch = 62, grab = 20;
  EXPECT_EQ(app::item_drop_index(v, 0, grab), 0u);              // above the first row
  EXPECT_EQ(app::item_drop_index(v, V + grab - 400, grab), 0u);
  EXPECT_EQ(app::item_drop_index(v, V + grab + 2.49f * pitch, grab), 2u);
  EXPECT_EQ(app::item_drop_index(v, V + grab + 2.5f * pitch, grab), 3u);  // halves round up
  EXPECT_EQ(app::item_drop_index(v, 5000, grab), 4u);           // below the last row: m − 1

  bundles(1, 0);
  EXPECT_EQ(app::item_drop_index(layout(), 5000, grab), 0u);
}

TEST_F(ViewLayoutTest, DropIndexCountsTheContentScroll) {
  bundles(1, 30);
  state.selected_bundle = 0;
  state.content_scroll = 620;  // ten rows
  const app::ViewLayout v = layout();
  EXPECT_EQ(app::item_drop_index(v, 196 + 10, 10), 10u);
}

TEST(PlaceWhileDragging, OthersCloseTheGapAndLeaveTheTargetFree) {
  struct Case {
    std::size_t position, dragged, drop_index, expected;
  };
  const Case cases[] = {
      {0, 1, 3, 0}, {2, 1, 3, 1}, {3, 1, 3, 2}, {4, 1, 3, 4},  // dragged down from 1 to 3
      {0, 3, 1, 0}, {1, 3, 1, 2}, {2, 3, 1, 3}, {4, 3, 1, 4},  // dragged up from 3 to 1
      {1, 0, 0, 1}, {2, 0, 0, 2},                              // the first row over its own place
      {0, 4, 4, 0}, {3, 4, 4, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::place_while_dragging(c.position, c.dragged, c.drop_index), c.expected)
        << c.position << " while " << c.dragged << " is over " << c.drop_index;
  }
}

TEST_F(ViewLayoutTest, DraggedRowFollowsThePointerAndThePlaceholderHoldsItsPlace) {
  bundles(1, 5);
  state.selected_bundle = 0;
  // Item 1 grabbed 20 pixels below its top, pointer over place 3.
  state.item_drag = app::AppState::ItemDrag{1, 196 + 20 + 3 * 62 + 7, 20};
  const app::ViewLayout v = layout();
  const app::ContentLayout& c = *v.content;
  ASSERT_TRUE(c.placeholder);
  expect_rect(*c.placeholder, 348, 196 + 3 * 62, 624, 56);
  ASSERT_EQ(c.rows.size(), 5u);
  const std::size_t expected_items[] = {0, 2, 3, 4};
  const float expected_y[] = {196, 196 + 62, 196 + 124, 196 + 248};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(c.rows[i].item, expected_items[i]);
    EXPECT_FLOAT_EQ(c.rows[i].rect.y, expected_y[i]);
    EXPECT_FALSE(c.rows[i].dragged);
  }
  const app::ItemRow& dragged = c.rows.back();
  EXPECT_TRUE(dragged.dragged);
  EXPECT_EQ(dragged.item, 1u);
  expect_rect(dragged.rect, 348, 196 + 3 * 62 + 7, 624, 56);
}

// ---- native fields -------------------------------------------------------------

TEST_F(ViewLayoutTest, InlineFieldBoxesForEachEditMode) {
  bundles(2, 3);
  state.selected_bundle = 0;
  state.edit = app::ActiveEdit{app::EditMode::bundle_name, "b0", 0};
  app::ViewLayout v = layout();
  ASSERT_TRUE(app::edit_field_rect(v, state));
  EXPECT_EQ(*app::edit_field_rect(v, state), v.content->title);
  // The field: 10 in from the box, round(20 × 1.45) = 29 high, centred to a pixel.
  const gfx::RectF title = v.content->title;
  expect_rect(*app::edit_control_rect(v, state), title.x + 10, std::round(title.y + (40 - 29) / 2.0f),
              title.w - 20, 29);

  state.edit = app::ActiveEdit{app::EditMode::item_name, "b0", 1};
  v = layout();
  expect_rect(*app::edit_field_rect(v, state), 348 + 64, 258 + 4, 624 - 120, 28);
  expect_rect(*app::edit_control_rect(v, state), 422, std::round(262 + (28 - 19) / 2.0f), 484, 19);
  state.edit = app::ActiveEdit{app::EditMode::item_args, "b0", 1};
  expect_rect(*app::edit_field_rect(layout(), state), 348 + 64, 258 + 28 - 2, 624 - 120, 28);

  state.edit = app::ActiveEdit{app::EditMode::web_address, "b0", 0};
  v = layout();
  EXPECT_EQ(*app::edit_field_rect(v, state), *v.content->web_entry);
}

TEST_F(ViewLayoutTest, InlineFieldOfAnotherBundleHasNoBox) {
  bundles(2, 3);
  state.selected_bundle = 0;
  for (app::EditMode mode : {app::EditMode::bundle_name, app::EditMode::web_address, app::EditMode::item_name,
                             app::EditMode::item_args}) {
    state.edit = app::ActiveEdit{mode, "b1", 0};
    EXPECT_FALSE(app::edit_field_rect(layout(), state)) << static_cast<int>(mode);
  }
  state.edit = app::ActiveEdit{app::EditMode::item_name, "b0", 3};  // past the last item
  EXPECT_FALSE(app::edit_field_rect(layout(), state));
  state.edit.reset();
  EXPECT_FALSE(app::edit_control_rect(layout(), state));
}

TEST_F(ViewLayoutTest, SearchControlSitsRightOfTheMagnifier) {
  bundles(5);
  EXPECT_FALSE(app::search_control_rect(layout()));
  bundles(6);
  // y = round(52 + 12 + 38 + 8 + (34 − 19) / 2) = round(117.5)
  expect_rect(*app::search_control_rect(layout()), 46, 118, 320 - 68, 19);
  window(1500, 1000, 144);
  // y = round(78 + 18 + 57 + 12 + (51 − round(28.275)) / 2) = round(176.5)
  expect_rect(*app::search_control_rect(layout()), 69, 177, 480 - 102, 28);
}

// ---- every language, every width ---------------------------------------------

// Measures the view's button labels as they read in language `code` (the
// program's own language is fixed for the run): 8 pixels a character, 16 for
// the wide ones of Chinese, Japanese and Korean, more than the body font takes.
class LanguageMeasure final : public gfx::TextMeasure {
 public:
  explicit LanguageMeasure(std::string_view code) {
    const std::pair<std::string_view, std::string_view> pairs[] = {
        {"파일 추가…", "Add files…"},   {"폴더 추가…", "Add folder…"},
        {"앱 추가…", "Add app…"},       {"주소 추가…", "Add web address…"},
        {"열기", "Open"},               {"여는 중…", "Opening…"},
        {"첫 묶음 만들기", "Create your first bundle"},
    };
    for (const auto& [korean, english] : pairs) {
      shown_[std::string(lang::text(korean, english))] = std::string(lang::text_in(code, korean, english));
    }
  }
  static float width(std::string_view text) {
    float w = 0;
    std::size_t i = 0;
    while (i < text.size()) {
      const auto lead = static_cast<unsigned char>(text[i]);
      const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      w += length >= 3 && lead >= 0xE3 ? 16 : 8;  // U+3000 and up
      i += length;
    }
    return w;
  }
  float line_width(std::string_view text, gfx::TextFormat) override { return width(in_language(text)); }
  float wrapped_height(std::string_view text, float max_width) override {
    return 18 * std::ceil(width(in_language(text)) / std::max(max_width, 1.0f));
  }
  std::string_view in_language(std::string_view text) const {
    const auto found = shown_.find(std::string(text));
    return found == shown_.end() ? text : std::string_view(found->second);
  }

 private:
  std::map<std::string, std::string> shown_;
};

TEST_F(ViewLayoutTest, AddButtonsStayInTheColumnInEveryLanguageAndWidth) {
  bundles(2, 3);
  state.selected_bundle = 0;
  for (const lang::Language& language : lang::languages()) {
    LanguageMeasure measure(language.code);
    for (std::uint32_t dpi : {96u, 144u}) {
      const float s = dpi / 96.0f;
      // From below the smallest window's client area to past the widest column.
      for (float width = std::round(790 * s); width <= std::round(1700 * s); width += 2) {
        window(width, 700 * s, dpi);
        const app::ViewLayout v = app::layout_view(state, &measure);
        ASSERT_TRUE(v.content);
        const app::ContentLayout& c = *v.content;
        SCOPED_TRACE(testing::Message() << language.code << " at " << width << " px, " << dpi << " DPI");
        const float left = v.content_left;
        const float right = v.content_left + v.content_width;
        ASSERT_EQ(c.add_buttons.size(), 4u);
        float bottom = 0;
        for (std::size_t i = 0; i < 4; ++i) {
          const gfx::RectF b = c.add_buttons[i].rect;
          EXPECT_GE(b.x, left);
          EXPECT_LE(b.right(), right);
          // Whole unless the label alone is wider than the column.
          EXPECT_FLOAT_EQ(b.w, std::min(v.content_width, measure.line_width(c.add_buttons[i].label, {}) + 46 * s));
          if (i > 0) {
            const gfx::RectF before = c.add_buttons[i - 1].rect;
            // After the one before on its row, or first on a row below it.
            if (b.y == before.y) {
              EXPECT_GE(b.x, before.right() + 8 * s);
            } else {
              EXPECT_FLOAT_EQ(b.y, before.bottom() + 8 * s);
              EXPECT_FLOAT_EQ(b.x, left);
              // It did not fit after the one before.
              EXPECT_GT(before.right() + 8 * s + b.w, right);
            }
          }
          bottom = std::max(bottom, b.bottom());
        }
        EXPECT_FLOAT_EQ(c.add_bar_bottom, bottom);
        EXPECT_FLOAT_EQ(c.list_top, bottom + 18 * s);
        ASSERT_FALSE(c.rows.empty());
        EXPECT_GE(c.rows[0].rect.y, bottom);
        // The header's buttons too.
        EXPECT_GE(c.open.x, left);
        EXPECT_LE(c.more.right(), right);
        EXPECT_LE(c.open.right(), c.more.x);
      }
    }
  }
}

TEST_F(ViewLayoutTest, AddButtonsWrapAtTheSmallestWindowInEnglishAndStayOnOneRowWhenWide) {
  bundles(1, 1);
  state.selected_bundle = 0;
  LanguageMeasure english("en");
  // 804 px: the client area of the smallest window; the column is 491 wide
  // and the four buttons take 8 × 56 + 4 × 46 + 3 × 8 = 656.
  window(804, 600, 96);
  app::ViewLayout v = app::layout_view(state, &english);
  ASSERT_TRUE(v.content);
  const auto& narrow = v.content->add_buttons;
  ASSERT_EQ(narrow.size(), 4u);
  EXPECT_FLOAT_EQ(narrow[0].rect.y, 144);
  EXPECT_GT(narrow[3].rect.y, narrow[0].rect.y);
  EXPECT_FLOAT_EQ(v.content->list_top, 144 + 34 + 8 + 34 + 18);
  window(1400, 700, 96);
  v = app::layout_view(state, &english);
  for (const app::AddButton& b : v.content->add_buttons) EXPECT_FLOAT_EQ(b.rect.y, 144);
  EXPECT_FLOAT_EQ(v.content->list_top, 196);
}

TEST_F(ViewLayoutTest, WelcomeButtonStaysInTheColumnInEveryLanguage) {
  state.store.bundles.clear();
  for (const lang::Language& language : lang::languages()) {
    LanguageMeasure measure(language.code);
    for (float width = 300; width <= 1400; width += 4) {
      window(width, 700, 96);
      const app::ViewLayout v = app::layout_view(state, &measure);
      ASSERT_TRUE(v.welcome);
      SCOPED_TRACE(testing::Message() << language.code << " at " << width << " px");
      EXPECT_GE(v.welcome->create.x, v.content_left);
      EXPECT_LE(v.welcome->create.right(), v.content_left + v.content_width);
    }
  }
}

}  // namespace
