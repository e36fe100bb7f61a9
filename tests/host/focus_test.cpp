#include "app/view/focus.h"

#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/input/bundle_menu.h"
#include "app/input/keyboard.h"
#include "app/input/menus.h"
#include "app/input/mouse.h"
#include "app/input/search.h"
#include "app/view/hits.h"
#include "app/view/selection.h"
#include "view_fixture.h"

namespace {

using app::Key;
using app::Region;
using app::RegionKind;

struct FocusTest : testing_support::ViewFixture {
  FocusTest() { platform.measure = &measure; }

  std::vector<RegionKind> stop_kinds() {
    std::vector<RegionKind> kinds;
    for (const Region& stop : app::focus_stops(layout(), state)) kinds.push_back(stop.kind);
    return kinds;
  }
  void press(Key key, app::KeyModifiers modifiers = {}) { app::handle_key(state, key, modifiers); }
  RegionKind focused() { return state.focus ? state.focus->kind : RegionKind::background; }
  // Tab from where the focus is until it comes back: the kinds it rested on.
  std::vector<RegionKind> tab_round(bool backwards = false) {
    const std::optional<Region> start = state.focus;
    std::vector<RegionKind> seen;
    for (int i = 0; i < 20; ++i) {
      press(Key::tab, {.shift = backwards});
      seen.push_back(focused());
      if (state.focus == start) break;
    }
    return seen;
  }
  // A press and release at the centre of the element's box.
  void click(Region region) {
    const auto box = app::focus_rect(layout(), state, region);
    ASSERT_TRUE(box);
    app::on_left_button_down(state, box->x + box->w / 2, box->y + box->h / 2);
    app::on_left_button_up(state, box->x + box->w / 2, box->y + box->h / 2);
  }
  std::vector<std::string> targets(std::size_t bundle) {
    std::vector<std::string> all;
    for (const auto& item : state.store.bundles[bundle].items) all.push_back(item.target);
    return all;
  }
};

TEST_F(FocusTest, TabOrderFollowsWhatTheViewShows) {
  using enum RegionKind;
  bundles(0);
  EXPECT_EQ(stop_kinds(), (std::vector{settings_menu, new_bundle, create_first_bundle}));

  bundles(3, 2);  // none selected: no column, no search box
  EXPECT_EQ(stop_kinds(), (std::vector{settings_menu, new_bundle, bundle_row}));

  app::select_bundle(state, 1);
  EXPECT_EQ(stop_kinds(), (std::vector{settings_menu, new_bundle, bundle_row, title, open, add_files, item_row}));

  bundles(3, 0);  // a bundle without items has no item list to stop at
  app::select_bundle(state, 1);
  EXPECT_EQ(stop_kinds(), (std::vector{settings_menu, new_bundle, bundle_row, title, open, add_files}));

  state.search_open = true;  // the search box is a stop once it shows
  EXPECT_EQ(stop_kinds(), (std::vector{settings_menu, new_bundle, search_box, bundle_row, title, open, add_files}));
}

TEST_F(FocusTest, TabGoesRoundBothWaysAndEntersAListAtItsSelection) {
  using enum RegionKind;
  bundles(4, 3);
  app::select_bundle(state, 2);
  state.selected_item = 1;
  press(Key::f6);  // the first key (here one without a toast to go to) puts the focus on the selected bundle
  EXPECT_EQ(state.focus, (Region{bundle_row, 2}));
  EXPECT_EQ(tab_round(), (std::vector{title, open, add_files, item_row, settings_menu, new_bundle, bundle_row}));
  press(Key::tab);
  press(Key::tab);
  press(Key::tab);
  press(Key::tab);
  EXPECT_EQ(state.focus, (Region{item_row, 1}));  // the selected item, not the first
  EXPECT_EQ(tab_round(true), (std::vector{add_files, open, title, bundle_row, new_bundle, settings_menu, item_row}));
  EXPECT_TRUE(state.focus_ring);
}

TEST_F(FocusTest, TheSearchBoxTakesTheSystemFocusAndTabGoesOnFromIt) {
  bundles(7, 1);
  app::select_bundle(state, 0);
  state.focus = Region{RegionKind::new_bundle, 0};
  press(Key::tab);
  EXPECT_EQ(focused(), RegionKind::search_box);
  EXPECT_EQ(platform.pointer_calls.back(), "search");
  app::on_search_key(state, app::SearchKey::tab);
  EXPECT_EQ(state.focus, (Region{RegionKind::bundle_row, 0}));
  EXPECT_EQ(platform.pointer_calls.back(), "focus");  // the keys come to the window again
  // A click in the box (it tells the window it took the keyboard) moves the view's focus there too.
  app::search_box_focused(state);
  EXPECT_EQ(focused(), RegionKind::search_box);
  app::on_search_key(state, app::SearchKey::back_tab);
  EXPECT_EQ(focused(), RegionKind::new_bundle);
  // Leaving the box with a key puts the focus on the selected bundle.
  app::open_search(state);
  app::on_search_key(state, app::SearchKey::down);
  EXPECT_EQ(state.focus, (Region{RegionKind::bundle_row, 1}));
}

TEST_F(FocusTest, ArrowsMoveWithinTheirGroupOnly) {
  using enum RegionKind;
  bundles(5, 4);
  app::select_bundle(state, 0);
  state.focus = Region{open, 0};
  press(Key::down);
  EXPECT_EQ(focused(), open);  // a button row takes Left/Right
  press(Key::right);
  EXPECT_EQ(focused(), more);
  press(Key::right);
  EXPECT_EQ(focused(), more);
  press(Key::left);
  EXPECT_EQ(focused(), open);

  state.focus = Region{add_files, 0};
  press(Key::end);
  EXPECT_EQ(focused(), add_web_address);
  press(Key::left);
  EXPECT_EQ(focused(), add_app);
  press(Key::home);
  EXPECT_EQ(focused(), add_files);

  state.focus = Region{item_row, 0};
  state.selected_item = 0;
  press(Key::right);
  EXPECT_EQ(state.focus, (Region{item_row, 0}));  // a list takes Up/Down
  press(Key::down);
  press(Key::down);
  EXPECT_EQ(state.focus, (Region{item_row, 2}));
  EXPECT_EQ(state.selected_item, 2u);
  press(Key::end);
  EXPECT_EQ(state.selected_item, 3u);
  press(Key::home);
  EXPECT_EQ(state.selected_item, 0u);
}

TEST_F(FocusTest, MovingInTheBundleListSelectsAndAClickFocuses) {
  bundles(40, 2);
  app::select_bundle(state, 0);
  press(Key::end);
  EXPECT_EQ(state.selected_bundle, 39u);
  EXPECT_EQ(state.focus, (Region{RegionKind::bundle_row, 39}));
  EXPECT_EQ(platform.settings["Selected"], "b39");
  // Scrolled into view: the ring has a row to go round, inside the window.
  const auto ring = app::focus_rect(layout(), state, *state.focus);
  ASSERT_TRUE(ring);
  EXPECT_LE(ring->bottom(), state.client_height);
  press(Key::up);
  EXPECT_EQ(state.selected_bundle, 38u);

  ASSERT_TRUE(state.focus_ring);
  click(Region{RegionKind::item_row, 1});
  EXPECT_EQ(state.focus, (Region{RegionKind::item_row, 1}));
  EXPECT_EQ(state.selected_item, 1u);
  EXPECT_FALSE(state.focus_ring);  // the pointer hides it until a key comes
  click(Region{RegionKind::more, 0});
  EXPECT_EQ(focused(), RegionKind::more);
  EXPECT_EQ(platform.menus.size(), 1u);
}

TEST_F(FocusTest, TheFocusFollowsARemovedItemAndLeavesAnEmptyList) {
  bundles(2, 3);
  app::select_bundle(state, 0);
  state.focus = Region{RegionKind::item_row, 2};
  state.selected_item = 2;
  press(Key::del);
  EXPECT_EQ(app::repaired_focus(layout(), state, state.focus), (Region{RegionKind::item_row, 1}));
  press(Key::del);
  press(Key::del);
  EXPECT_TRUE(state.store.bundles[0].items.empty());
  // The list is gone: the nearest group before it.
  EXPECT_EQ(app::repaired_focus(layout(), state, state.focus), (Region{RegionKind::add_files, 0}));
  // A bundle no longer selected takes its column's focus with it.
  app::select_bundle(state, std::nullopt);
  EXPECT_EQ(app::repaired_focus(layout(), state, Region{RegionKind::more, 0}), (Region{RegionKind::new_bundle, 0}));
}

TEST_F(FocusTest, AltUpAndDownMoveTheFocusedItemWithoutUndo) {
  bundles(1, 3);
  app::select_bundle(state, 0);
  const std::vector<std::string> before = targets(0);
  state.focus = Region{RegionKind::item_row, 0};
  state.selected_item = 0;
  press(Key::up, {.alt = true});
  EXPECT_EQ(targets(0), before);  // the first goes no higher
  press(Key::down, {.alt = true});
  press(Key::down, {.alt = true});
  EXPECT_EQ(targets(0), (std::vector{before[1], before[2], before[0]}));
  EXPECT_EQ(state.focus, (Region{RegionKind::item_row, 2}));
  EXPECT_EQ(state.selected_item, 2u);
  EXPECT_FALSE(state.undo);
  press(Key::down, {.alt = true});
  EXPECT_EQ(targets(0), (std::vector{before[1], before[2], before[0]}));
}

TEST_F(FocusTest, F6GoesToTheToastsButtonAndBack) {
  bundles(1, 2);
  app::select_bundle(state, 0);
  const std::string removed = targets(0)[0];
  state.focus = Region{RegionKind::item_row, 0};
  state.selected_item = 0;
  press(Key::del);
  ASSERT_TRUE(state.toast);
  const auto stops = stop_kinds();
  EXPECT_EQ(std::count(stops.begin(), stops.end(), RegionKind::toast_action), 0);  // not a Tab stop
  press(Key::f6);
  EXPECT_EQ(focused(), RegionKind::toast_action);
  press(Key::f6);
  EXPECT_EQ(state.focus, (Region{RegionKind::item_row, 0}));
  press(Key::f6);
  press(Key::space);  // presses Undo
  EXPECT_EQ(targets(0)[0], removed);
  // With the toast gone the focus goes back to where it was.
  EXPECT_NE(app::repaired_focus(layout(), state, state.focus, state.focus_before_toast)->kind,
            RegionKind::toast_action);
}

TEST_F(FocusTest, EnterAndF2ActOnTheFocusedElement) {
  bundles(1, 2);
  app::select_bundle(state, 0);
  platform.existing.insert(targets(0)[1]);
  state.focus = Region{RegionKind::item_row, 1};
  state.selected_item = 1;
  press(Key::enter);
  ASSERT_EQ(platform.started.size(), 1u);  // just that item, not the bundle
  EXPECT_EQ(platform.started[0].target, targets(0)[1]);
  EXPECT_TRUE(platform.open_requests.empty());
  press(Key::f2);
  ASSERT_TRUE(state.edit);
  EXPECT_EQ(state.edit->mode, app::EditMode::item_name);
  EXPECT_EQ(state.edit->item, 1u);
  state.focus = Region{RegionKind::title, 0};
  press(Key::enter);
  EXPECT_EQ(state.edit->mode, app::EditMode::bundle_name);
  state.focus = Region{RegionKind::new_bundle, 0};
  press(Key::space);
  EXPECT_EQ(state.store.bundles.size(), 2u);
}

TEST_F(FocusTest, TheMenuOfTheFocusOpensAtIt) {
  bundles(2, 2);
  app::select_bundle(state, 1);
  struct Case {
    Region focus;
    std::size_t entries;
  };
  const std::vector<Case> cases{
      {{RegionKind::item_row, 1}, app::item_menu_entries(bundle::Kind::file).size()},
      {{RegionKind::bundle_row, 1}, app::bundle_menu_entries(&state.store.bundles[1]).size()},
      {{RegionKind::more, 0}, app::bundle_menu_entries(&state.store.bundles[1]).size()},
      {{RegionKind::settings_menu, 0}, app::settings_menu(std::nullopt, std::nullopt).size()},
  };
  for (const Case& c : cases) {
    platform.menus.clear();
    state.focus = c.focus;
    state.selected_item = 1;  // the focus on an item is its selection
    app::open_focus_menu(state);
    ASSERT_EQ(platform.menus.size(), 1u);
    EXPECT_EQ(platform.menus[0].entries.size(), c.entries);
    const auto at = app::focus_rect(layout(), state, c.focus);
    ASSERT_TRUE(at);
    EXPECT_FLOAT_EQ(platform.menus[0].y, at->bottom());
  }
  platform.menus.clear();
  state.focus = Region{RegionKind::add_files, 0};
  app::open_focus_menu(state);  // a button without a menu
  EXPECT_TRUE(platform.menus.empty());
}

}  // namespace
