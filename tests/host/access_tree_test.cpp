#include "app/view/access_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "app/input/access_request.h"
#include "app/state/toast.h"
#include "app/view/focus.h"
#include "app/view/layout.h"
#include "app/view/view_text.h"
#include "bundle/model.h"
#include "view_fixture.h"

namespace {

using app::AccessElement;
using app::AccessRole;
using app::AccessTree;
using app::RegionKind;

class AccessTreeTest : public testing_support::ViewFixture {
 protected:
  AccessTreeTest() { platform.measure = &measure; }

  AccessTree tree() {
    const app::ViewLayout v = layout();
    AccessTree t = app::build_access_tree(v, state);
    check_shape(t);
    return t;
  }

  // Every tree: the window first, parents before children, each rectangle
  // non-empty and inside its parent's, each key once.
  static void check_shape(const AccessTree& t) {
    ASSERT_FALSE(t.elements.empty());
    EXPECT_EQ(t.elements[0].role, AccessRole::window);
    EXPECT_FALSE(t.elements[0].parent);
    std::set<std::string> keys;
    for (std::size_t i = 0; i < t.elements.size(); ++i) {
      const AccessElement& e = t.elements[i];
      SCOPED_TRACE(e.key);
      EXPECT_TRUE(keys.insert(e.key).second) << "key twice";
      if (i == 0) continue;
      ASSERT_TRUE(e.parent);
      ASSERT_LT(*e.parent, i);
      const gfx::RectF& p = t.elements[*e.parent].rect;
      EXPECT_GT(e.rect.w, 0);
      EXPECT_GT(e.rect.h, 0);
      EXPECT_GE(e.rect.x, p.x);
      EXPECT_GE(e.rect.y, p.y);
      EXPECT_LE(e.rect.right(), p.right());
      EXPECT_LE(e.rect.bottom(), p.bottom());
    }
  }

  static const AccessElement* with_region(const AccessTree& t, RegionKind kind, std::size_t index = 0) {
    for (const AccessElement& e : t.elements) {
      if (e.region && e.region->kind == kind && e.region->index == index) return &e;
    }
    return nullptr;
  }
  static std::vector<const AccessElement*> children_of(const AccessTree& t, const AccessElement* parent) {
    std::vector<const AccessElement*> found;
    if (!parent) return found;
    const std::size_t index = static_cast<std::size_t>(parent - t.elements.data());
    for (std::size_t child : t.children(index)) found.push_back(&t.elements[child]);
    return found;
  }
  static const AccessElement* list_named(const AccessTree& t, std::string_view name) {
    for (const AccessElement& e : t.elements) {
      if (e.role == AccessRole::list && e.name == name) return &e;
    }
    return nullptr;
  }
};

// ---- the sidebar -----------------------------------------------------------

TEST_F(AccessTreeTest, SidebarButtonsAndBundleRowsWithTheirCountsAndSelection) {
  bundles(3, 2);
  state.store.bundles[1].items.pop_back();
  state.selected_bundle = 1;
  const AccessTree t = tree();
  const app::ViewLayout v = layout();

  const AccessElement* settings = with_region(t, RegionKind::settings_menu);
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->role, AccessRole::button);
  EXPECT_EQ(settings->name, app::view_text::settings());
  EXPECT_TRUE(settings->invokable);
  const AccessElement* new_bundle = with_region(t, RegionKind::new_bundle);
  ASSERT_TRUE(new_bundle);
  EXPECT_EQ(new_bundle->name, app::view_text::new_bundle());
  EXPECT_EQ(new_bundle->rect, v.new_bundle);
  EXPECT_FALSE(with_region(t, RegionKind::search_box)) << "no search box with three bundles";

  const AccessElement* list = list_named(t, app::view_text::bundles());
  ASSERT_TRUE(list);
  const auto rows = children_of(t, list);
  ASSERT_EQ(rows.size(), 3u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i]->role, AccessRole::list_item);
    EXPECT_EQ(rows[i]->name, state.store.bundles[i].name);
    EXPECT_EQ(rows[i]->help, app::view_text::item_count(state.store.bundles[i].items.size()));
    EXPECT_EQ(rows[i]->selected, i == 1);
    EXPECT_TRUE(rows[i]->invokable && rows[i]->selectable);
    EXPECT_EQ(rows[i]->region, (app::Region{RegionKind::bundle_row, i}));
    EXPECT_TRUE(rows[i]->status.empty());
  }
  EXPECT_NE(rows[0]->help, rows[1]->help);
}

TEST_F(AccessTreeTest, TheSearchBoxIsANativeChildAndOnlyRowsOnScreenAreListed) {
  bundles(400);
  state.sidebar_scroll = 1000;
  const AccessTree t = tree();
  const AccessElement* search = with_region(t, RegionKind::search_box);
  ASSERT_TRUE(search);
  EXPECT_EQ(search->role, AccessRole::edit);
  EXPECT_TRUE(search->native);
  const auto rows = children_of(t, list_named(t, app::view_text::bundles()));
  ASSERT_FALSE(rows.empty());
  EXPECT_LT(rows.size(), 400u);
  EXPECT_GT(rows.front()->region->index, 0u) << "scrolled: the first rows are off screen";
}

TEST_F(AccessTreeTest, ABundleBeingOpenedSaysHowFarItIs) {
  bundles(2, 4);
  state.opening = app::OpeningProgress{"b1", 1, 4};
  const AccessTree t = tree();
  const auto rows = children_of(t, list_named(t, app::view_text::bundles()));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0]->status.empty());
  EXPECT_EQ(rows[1]->status, app::view_text::row_progress(1, 4));
}

// ---- the content column ----------------------------------------------------

TEST_F(AccessTreeTest, TheSelectedBundlesHeaderButtonsAndItems) {
  bundles(1);
  state.store.bundles[0].items = {
      bundle::Item{bundle::Kind::file, "C:\\docs\\plan.txt", {}, {}},
      bundle::Item{bundle::Kind::url, "https://example.com/", {}, {}},
      bundle::Item{bundle::Kind::folder, "C:\\gone", {}, {}},
  };
  state.missing_targets.insert(bundle::item_key("C:\\gone"));
  state.selected_bundle = 0;
  state.selected_item = 1;
  const AccessTree t = tree();
  const app::ViewLayout v = layout();

  const AccessElement* title = with_region(t, RegionKind::title);
  ASSERT_TRUE(title);
  EXPECT_EQ(title->role, AccessRole::text);
  EXPECT_EQ(title->name, "bundle 0");
  const AccessElement* open = with_region(t, RegionKind::open);
  ASSERT_TRUE(open);
  EXPECT_EQ(open->name, app::view_text::open());
  EXPECT_TRUE(open->invokable);
  const AccessElement* more = with_region(t, RegionKind::more);
  ASSERT_TRUE(more);
  EXPECT_EQ(more->name, app::view_text::more_actions());
  ASSERT_FALSE(v.content->add_buttons.empty());
  for (const app::AddButton& button : v.content->add_buttons) {
    const AccessElement* e = with_region(t, button.kind);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->role, AccessRole::button);
    EXPECT_EQ(e->name, button.label);
  }

  const auto items = children_of(t, list_named(t, app::view_text::items()));
  ASSERT_EQ(items.size(), 3u);
  for (std::size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(i);
    const bundle::Item& item = state.store.bundles[0].items[i];
    EXPECT_EQ(items[i]->role, AccessRole::list_item);
    EXPECT_EQ(items[i]->name, bundle::item_label(item));
    EXPECT_EQ(items[i]->help, item.target);
    EXPECT_EQ(items[i]->selected, i == 1);
    EXPECT_EQ(items[i]->region, (app::Region{RegionKind::item_row, i}));
  }
  EXPECT_TRUE(items[0]->status.empty());
  EXPECT_EQ(items[2]->status, app::view_text::not_found());
  // The selected item's row has the focus while the keyboard has put it nowhere.
  ASSERT_TRUE(t.focus);
  EXPECT_EQ(&t.elements[*t.focus], items[1]);
}

TEST_F(AccessTreeTest, AnItemThatFailedSaysWhyAndARenamedTitleIsTheNativeField) {
  bundles(1, 2);
  state.selected_bundle = 0;
  const std::string key = bundle::item_key(state.store.bundles[0].items[1].target);
  state.open_failures[{"b0", key}] = app::OpenFailure{app::OpenFailure::Why::timed_out, ""};
  const std::string first = bundle::item_key(state.store.bundles[0].items[0].target);
  state.open_failures[{"b0", first}] = app::OpenFailure{app::OpenFailure::Why::failed, "Access is denied."};
  state.edit = app::ActiveEdit{app::EditMode::bundle_name, "b0", 0};
  const AccessTree t = tree();
  const auto items = children_of(t, list_named(t, app::view_text::items()));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1]->status, app::view_text::timed_out_waiting());
  EXPECT_EQ(items[0]->status, std::string(app::view_text::could_not_open()) + ": Access is denied.");
  EXPECT_EQ(items[0]->help, state.store.bundles[0].items[0].target);
  const AccessElement* title = with_region(t, RegionKind::title);
  ASSERT_TRUE(title);
  EXPECT_EQ(title->role, AccessRole::edit);
  EXPECT_TRUE(title->native);
}

// ---- identity --------------------------------------------------------------

TEST_F(AccessTreeTest, KeysFollowTheBundleAndItemNotThePosition) {
  bundles(3, 3);
  state.store.bundles[2].items[2].target = state.store.bundles[2].items[0].target;  // the same target twice
  state.store.bundles[2].items.push_back(bundle::Item{bundle::Kind::file, "C:\\F\\0.TXT", {}, {}});  // and in other case
  state.selected_bundle = 2;
  const AccessTree before = tree();
  std::set<std::string> keys;
  std::set<std::array<int, 2>> ids;
  for (const AccessElement& e : before.elements) {
    keys.insert(e.key);
    ids.insert(app::access_runtime_id(e.key));
  }
  EXPECT_EQ(ids.size(), keys.size()) << "runtime ids as distinct as the keys";

  // Another size, DPI and a bundle put in front: every element keeps its key.
  window(1300, 800, 144);
  state.store.bundles.insert(state.store.bundles.begin(), bundle::Bundle{"new", "new one", {}});
  state.selected_bundle = 3;
  const AccessTree after = tree();
  for (const AccessElement& e : before.elements) {
    SCOPED_TRACE(e.key);
    const auto found = after.find(e.key);
    ASSERT_TRUE(found);
    const AccessElement& moved = after.elements[*found];
    EXPECT_EQ(moved.name, e.name);
    EXPECT_EQ(app::access_runtime_id(moved.key), app::access_runtime_id(e.key));
    if (e.region && e.region->kind == RegionKind::bundle_row) {
      EXPECT_EQ(moved.region->index, e.region->index + 1);
    }
  }
}

// ---- the toast and the empty states ----------------------------------------

TEST_F(AccessTreeTest, TheToastIsLiveTextWithItsButtonAndANewToastIsANewElement) {
  bundles(1);
  state.toast = app::Toast{"Removed “x”", 5, app::ToastAction::undo};
  const AccessTree t = tree();
  const AccessElement* button = with_region(t, RegionKind::toast_action);
  ASSERT_TRUE(button);
  EXPECT_EQ(button->role, AccessRole::button);
  EXPECT_EQ(button->name, app::view_text::undo());
  ASSERT_TRUE(button->parent);
  const AccessElement& bar = t.elements[*button->parent];
  EXPECT_EQ(bar.name, "Removed “x”");
  EXPECT_TRUE(bar.live);

  state.toast = app::Toast{"Removed “x”", 9, app::ToastAction::none};
  const AccessTree again = tree();
  EXPECT_FALSE(again.find(bar.key)) << "the same text shown again is announced again";
  EXPECT_FALSE(with_region(again, RegionKind::toast_action));
}

TEST_F(AccessTreeTest, EmptyStates) {
  {
    SCOPED_TRACE("no bundles");
    bundles(0);
    const AccessTree t = tree();
    const AccessElement* create = with_region(t, RegionKind::create_first_bundle);
    ASSERT_TRUE(create);
    EXPECT_EQ(create->name, app::view_text::create_first_bundle());
    EXPECT_FALSE(list_named(t, app::view_text::bundles()));
    EXPECT_FALSE(t.focus);
  }
  {
    SCOPED_TRACE("nothing selected");
    bundles(2);
    const AccessTree t = tree();
    EXPECT_FALSE(with_region(t, RegionKind::create_first_bundle));
    EXPECT_FALSE(list_named(t, app::view_text::items()));
    bool told = false;
    for (const AccessElement& e : t.elements) told = told || e.name == app::view_text::choose_a_bundle();
    EXPECT_TRUE(told);
  }
  {
    SCOPED_TRACE("a search without matches");
    bundles(2);
    state.search_text = "zzz";
    const AccessTree t = tree();
    const auto rows = children_of(t, list_named(t, app::view_text::bundles()));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->role, AccessRole::text);
    EXPECT_NE(rows[0]->name.find("zzz"), std::string::npos);
  }
  {
    SCOPED_TRACE("a bundle without items");
    bundles(1);
    state.search_text.clear();
    state.selected_bundle = 0;
    const AccessTree t = tree();
    EXPECT_FALSE(list_named(t, app::view_text::items()));
    ASSERT_TRUE(t.focus);
    EXPECT_EQ(t.elements[*t.focus].region, (app::Region{RegionKind::bundle_row, 0}));
  }
}

TEST_F(AccessTreeTest, TheKeyboardFocusWinsOverTheSelection) {
  bundles(2, 2);
  state.selected_bundle = 0;
  state.selected_item = 0;
  state.focus = app::Region{RegionKind::more, 0};
  const AccessTree t = tree();
  ASSERT_TRUE(t.focus);
  EXPECT_EQ(t.elements[*t.focus].name, app::view_text::more_actions());
  // A row's Open or remove button is told as the row.
  state.focus = app::Region{RegionKind::bundle_open, 1};
  const AccessTree on_open = tree();
  ASSERT_TRUE(on_open.focus);
  EXPECT_EQ(on_open.elements[*on_open.focus].name, "bundle 1");
  state.focus = app::Region{RegionKind::item_remove, 1};
  const AccessTree on_remove = tree();
  ASSERT_TRUE(on_remove.focus);
  EXPECT_EQ(on_remove.elements[*on_remove.focus].region, (app::Region{RegionKind::item_row, 1}));
}

// ---- requests --------------------------------------------------------------

TEST_F(AccessTreeTest, RequestsActOnTheElementOfTheirKeyWhereverItIsNow) {
  bundles(3, 2);
  state.selected_bundle = 0;
  const AccessTree t = tree();
  const std::string second_bundle = children_of(t, list_named(t, app::view_text::bundles()))[1]->key;
  const std::string second_item = children_of(t, list_named(t, app::view_text::items()))[1]->key;

  // Selecting a row selects its bundle, even after a bundle was put in front.
  state.store.bundles.insert(state.store.bundles.begin(), bundle::Bundle{"front", "front", {}});
  state.selected_bundle = 1;
  state.redraw();
  ASSERT_TRUE(app::perform_access_request(state, {app::AccessRequest::Kind::select, second_bundle}));
  EXPECT_EQ(state.selected_bundle, 2u);

  // Invoking a row opens that bundle.
  ASSERT_TRUE(app::perform_access_request(state, {app::AccessRequest::Kind::invoke, second_bundle}));
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].bundle_id, "b1");

  // The item of another bundle is not on screen now: nothing happens.
  EXPECT_FALSE(app::perform_access_request(state, {app::AccessRequest::Kind::select, second_item}));
  EXPECT_FALSE(state.selected_item);
  EXPECT_FALSE(app::perform_access_request(state, {app::AccessRequest::Kind::invoke, "no such key"}));

  // Focus on an item row selects it and puts the keyboard there.
  state.selected_bundle = 1;
  state.opening.reset();
  state.redraw();
  const AccessTree now = tree();
  const std::string item = children_of(now, list_named(now, app::view_text::items()))[1]->key;
  ASSERT_TRUE(app::perform_access_request(state, {app::AccessRequest::Kind::focus, item}));
  EXPECT_EQ(state.selected_item, 1u);
  EXPECT_EQ(state.focus, (app::Region{RegionKind::item_row, 1}));

  // A button does what its click does: "More actions" shows the bundle menu.
  const AccessElement* more = with_region(now, RegionKind::more, 1);
  ASSERT_TRUE(more);
  EXPECT_FALSE(app::perform_access_request(state, {app::AccessRequest::Kind::select, more->key}))
      << "a button is not selectable";
  ASSERT_TRUE(app::perform_access_request(state, {app::AccessRequest::Kind::invoke, more->key}));
  EXPECT_EQ(platform.menus.size(), 1u);
}

}  // namespace

// ---- the keyboard focus as a reader hears it ---------------------------------

// Wherever Tab and the arrows can put the focus, a reader is told of an
// element there, and of the one the focus is on: each stop of every group in
// each situation the view can be in.
TEST_F(AccessTreeTest, EveryPlaceTheKeyboardReachesIsTheFocusedElement) {
  const auto check_every_stop = [&](const char* situation) {
    SCOPED_TRACE(situation);
    const app::ViewLayout v = layout();
    for (const app::Region& stop : app::focus_stops(v, state)) {
      std::vector<app::Region> group{stop};
      for (std::optional<app::Region> at = stop;
           (at = app::focus_step(v, state, *at, app::FocusStep::next)) && group.size() < 50;) {
        group.push_back(*at);
      }
      for (const app::Region& place : group) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(place.kind) << " index " << place.index);
        state.focus = place;
        const AccessTree t = tree();
        ASSERT_TRUE(t.focus);
        const AccessElement& focused = t.elements[*t.focus];
        EXPECT_NE(focused.role, AccessRole::window);
        EXPECT_FALSE(focused.name.empty());
        EXPECT_TRUE(focused.invokable || focused.selectable || focused.native || focused.role == AccessRole::text);
      }
    }
    state.focus.reset();
  };

  state.store.bundles.clear();
  check_every_stop("no bundles");
  bundles(3, 4);
  check_every_stop("bundles, none selected");
  state.selected_bundle = 1;
  check_every_stop("a bundle with items");
  state.search_open = true;
  state.search_text = "bundle";
  check_every_stop("searching");
  state.toast = app::Toast{"Removed “x”", 5, app::ToastAction::undo};
  state.focus = app::Region{RegionKind::toast_action, 0};
  const AccessTree t = tree();
  ASSERT_TRUE(t.focus);
  EXPECT_EQ(t.elements[*t.focus].name, app::view_text::undo());
}

// ---- what a listening reader is told ----------------------------------------

TEST_F(AccessTreeTest, ReadersAreToldOfFocusListChangesRenamesAndANewToastOnce) {
  using Kind = app::AccessEvent::Kind;
  const auto kinds_about = [](const std::vector<app::AccessEvent>& events, const std::string& key) {
    std::vector<Kind> found;
    for (const app::AccessEvent& e : events) {
      if (e.key == key) found.push_back(e.kind);
    }
    return found;
  };
  bundles(2, 3);
  state.selected_bundle = 0;
  state.selected_item = 0;
  state.focus = app::Region{RegionKind::item_row, 0};
  const AccessTree first = tree();
  EXPECT_TRUE(app::access_events(first, first).empty()) << "nothing changed, nothing told";
  const std::string items = list_named(first, app::view_text::items())->key;

  // The focus moves down the list: the new row is selected and has the focus.
  state.selected_item = 1;
  state.focus = app::Region{RegionKind::item_row, 1};
  const AccessTree moved = tree();
  const std::string second = with_region(moved, RegionKind::item_row, 1)->key;
  EXPECT_EQ(kinds_about(app::access_events(first, moved), second), (std::vector<Kind>{Kind::selected, Kind::focus_moved}));

  // The item goes: the list's rows changed, and a toast is spoken once.
  state.store.bundles[0].items.erase(state.store.bundles[0].items.begin() + 1);
  state.selected_item = 1;
  state.toast = app::Toast{"Removed “1.txt”", 5, app::ToastAction::undo};
  state.redraw();
  const AccessTree removed = tree();
  const std::vector<app::AccessEvent> told = app::access_events(moved, removed);
  EXPECT_EQ(kinds_about(told, items), std::vector<Kind>{Kind::children_changed});
  const auto announced = std::find_if(told.begin(), told.end(), [](const auto& e) { return e.kind == Kind::announced; });
  ASSERT_NE(announced, told.end());
  EXPECT_EQ(announced->after, "Removed “1.txt”");
  const std::vector<app::AccessEvent> again = app::access_events(removed, removed);
  EXPECT_TRUE(std::none_of(again.begin(), again.end(), [](const auto& e) { return e.kind == Kind::announced; }))
      << "a toast still shown is not spoken again";

  // A bundle renamed: its row's name changed from the old to the new.
  state.toast.reset();
  const std::string row = with_region(removed, RegionKind::bundle_row, 1)->key;
  state.store.bundles[1].name = "Mail";
  state.redraw();
  const std::vector<app::AccessEvent> renamed = app::access_events(removed, tree());
  const auto name = std::find_if(renamed.begin(), renamed.end(), [&](const auto& e) { return e.key == row; });
  ASSERT_NE(name, renamed.end());
  EXPECT_EQ(*name, (app::AccessEvent{Kind::name_changed, row, "bundle 1", "Mail"}));

  // The focus in the native search box is told by the box itself.
  state.search_open = true;
  state.focus = app::Region{RegionKind::search_box, 0};
  state.redraw();
  const AccessTree searching = tree();
  ASSERT_TRUE(searching.focus);
  EXPECT_TRUE(searching.elements[*searching.focus].native);
  for (const app::AccessEvent& e : app::access_events(removed, searching)) EXPECT_NE(e.kind, Kind::focus_moved);
}
