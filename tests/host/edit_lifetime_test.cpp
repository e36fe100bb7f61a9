// When a running inline edit ends, and what it lands on: menus, selection
// changes, removals, the add dialogs, lost focus and the search box's late
// change notice, with other messages run inside the modal loops as Windows does.

#include <gtest/gtest.h>

#include <string>

#include "app/bundles/bundle_ops.h"
#include "app/bundles/edit_commit.h"
#include "app/bundles/import.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/select.h"
#include "app/bundles/undo.h"
#include "app/input/bundle_menu.h"
#include "app/input/keyboard.h"
#include "app/input/menus.h"
#include "app/input/mouse.h"
#include "app/input/search.h"
#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "app/view/selection.h"
#include "bundle/export_file.h"
#include "store_fixture.h"
#include "view_fixture.h"

namespace {

using testing_support::app_item;
using testing_support::file_item;

struct EditLifetime : testing_support::StoreFixture {
  testing_support::FakeMeasure measure;

  void SetUp() override {
    platform.measure = &measure;
    state.client_width = 1000;
    state.client_height = 700;
    state.store.bundles = {bundle::Bundle{"b1", "Work", {app_item("C:\\tool.exe", "-old"), file_item("C:\\a.txt")}},
                           bundle::Bundle{"b2", "Home", {file_item("C:\\h.txt")}}};
    app::select_bundle(state, 0);
  }
  void type(const std::string& text) { platform.edit_field_text = text; }
  void begin(app::EditMode mode, const std::string& bundle_id, std::size_t item = 0) {
    app::begin_edit(state, {mode, bundle_id, item}, "", "");
    ASSERT_TRUE(state.edit);
  }
};

TEST_F(EditLifetime, OpenJustThisStartsTheAppWithTheArgumentsBeingTyped) {
  begin(app::EditMode::item_args, "b1", 0);
  type("-new");
  platform.existing.insert("C:\\tool.exe");
  platform.answers = {true};  // an app with arguments may ask first
  platform.menu_choices = {static_cast<int>(app::ItemCommand::open_just_this)};
  platform.during_menu = [&] { EXPECT_FALSE(state.edit) << "an edit ran under the menu"; };
  app::show_item_menu(state, 0, 10, 10);
  ASSERT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(platform.started[0].args, "-new");
  EXPECT_EQ(state.store.bundles[0].items[0].args, "-new");
}

TEST_F(EditLifetime, DuplicateCopiesTheNameBeingTyped) {
  begin(app::EditMode::bundle_name, "b1");
  type("Month-end");
  platform.menu_choices = {static_cast<int>(app::BundleCommand::duplicate)};
  app::show_bundle_menu(state, 0, 10, 10);
  EXPECT_EQ(names(), (std::vector<std::string>{"Month-end", "Month-end copy", "Home"}));
}

TEST_F(EditLifetime, TheSettingsMenuCommitsTheEditToo) {
  begin(app::EditMode::item_name, "b1", 1);
  type("Notes");
  app::show_settings_menu(state, 10, 10);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(state.store.bundles[0].items[1].name, "Notes");
  expect_saved();
}

TEST_F(EditLifetime, SelectingAnotherBundleCommitsTheNameBeingTyped) {
  begin(app::EditMode::bundle_name, "b1");
  type("Renamed");
  app::select_bundle(state, 1);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(names(), (std::vector<std::string>{"Renamed", "Home"}));
  // Enter afterwards has no edit left to put on the bundle now shown.
  type("Wrong");
  app::end_edit(state, true);
  EXPECT_EQ(names(), (std::vector<std::string>{"Renamed", "Home"}));
}

TEST_F(EditLifetime, RemovingAnItemCommitsTheEditOfAnother) {
  begin(app::EditMode::item_name, "b1", 1);
  type("Notes");
  app::remove_item(state, 0);
  ASSERT_EQ(state.store.bundles[0].items.size(), 1u);
  EXPECT_EQ(state.store.bundles[0].items[0].target, "C:\\a.txt");
  EXPECT_EQ(state.store.bundles[0].items[0].name, "Notes");
  // An edit of the item removed goes with it.
  begin(app::EditMode::item_name, "b1", 0);
  type("Gone");
  app::remove_item(state, 0);
  EXPECT_FALSE(state.edit);
  EXPECT_TRUE(state.store.bundles[0].items.empty());
  app::undo(state);
  ASSERT_EQ(state.store.bundles[0].items.size(), 1u);
  EXPECT_EQ(state.store.bundles[0].items[0].name, "Notes");
}

TEST_F(EditLifetime, DeletingABundleCommitsTheRenameOfAnother) {
  begin(app::EditMode::bundle_name, "b2");
  type("House");
  app::delete_bundle(state, 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"House"}));
  begin(app::EditMode::bundle_name, "b2");
  type("Gone");
  app::delete_bundle(state, 0);
  EXPECT_FALSE(state.edit);
  ASSERT_TRUE(state.undo);
  app::handle_key(state, app::Key::z, true);  // the deleted bundle comes back as it was
  EXPECT_EQ(names(), (std::vector<std::string>{"House"}));
}

TEST_F(EditLifetime, AddedFilesGoToTheBundleClickedEvenIfAHandOverSelectsAnother) {
  const std::string shared =
      write_file("shared.tolvik", bundle::serialize_exported(bundle::Bundle{"x", "Shared", {}}));
  platform.open_answer = {"C:\\new.txt"};
  platform.during_dialog = [&] { app::import_files(state, {shared}); };
  app::dispatch_click(state, {app::RegionKind::add_files, 0}, 0, 0);
  ASSERT_EQ(names(), (std::vector<std::string>{"Work", "Home", "Shared"}));
  EXPECT_EQ(targets(0), (std::vector<std::string>{"C:\\tool.exe", "C:\\a.txt", "C:\\new.txt"}));
  EXPECT_TRUE(state.store.bundles[2].items.empty());
}

TEST_F(EditLifetime, AnAddedFolderGoesNowhereWhenItsBundleWasDeletedMeanwhile) {
  platform.folder_answer = "C:\\Docs";
  platform.during_dialog = [&] { app::delete_bundle(state, 0); };
  app::dispatch_click(state, {app::RegionKind::add_folder, 0}, 0, 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"Home"}));
  EXPECT_EQ(targets(0), (std::vector<std::string>{"C:\\h.txt"}));
}

TEST_F(EditLifetime, AWebAddressBeingTypedOutlivesAFocusLostToAnotherProgram) {
  app::dispatch_click(state, {app::RegionKind::add_web_address, 0}, 0, 0);
  ASSERT_TRUE(state.edit);
  type("https://exam");
  app::on_edit_field_left(state, true);
  ASSERT_TRUE(state.edit);
  EXPECT_EQ(state.edit->mode, app::EditMode::web_address);
  EXPECT_TRUE(toasts.empty());
  // A click in the window ends it as the focus moving inside the window does.
  type("https://example.org");
  app::on_left_button_down(state, 5, 5);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(targets(0).back(), "https://example.org");
  // The focus moving elsewhere in the window ends it; other edits end on
  // any lost focus.
  app::dispatch_click(state, {app::RegionKind::add_web_address, 0}, 0, 0);
  type("https://x.example");
  app::on_edit_field_left(state, false);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(targets(0).back(), "https://x.example");
  begin(app::EditMode::bundle_name, "b1");
  type("Away");
  app::on_edit_field_left(state, true);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(names()[0], "Away");
}

struct NewBundleInAFullList : EditLifetime {
  void SetUp() override {
    EditLifetime::SetUp();
    state.store.bundles.clear();
    for (int i = 1; i <= 20; ++i) {
      const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
      state.store.bundles.push_back(bundle::Bundle{"b" + n, "Bundle " + n, {}});
    }
    app::select_bundle(state, 2);
  }
  bool row_in_view(std::size_t position) {
    const app::ViewLayout layout = app::layout_view(state, &measure);
    for (const app::SidebarRow& row : layout.rows) {
      if (row.bundle == position) return row.rect.y >= layout.list_top && row.rect.bottom() <= layout.height;
    }
    return false;
  }
};

TEST_F(NewBundleInAFullList, TheSearchBoxsLateChangeNoticeLeavesTheNewRowInView) {
  app::on_search_text_changed(state, "bundle");
  app::new_bundle(state);
  ASSERT_EQ(state.store.bundles.size(), 21u);
  ASSERT_TRUE(row_in_view(20));
  const float scrolled = state.sidebar_scroll;
  EXPECT_GT(scrolled, 0);
  // The box's emptying is reported only once Ctrl+N's handler has returned.
  app::on_search_text_changed(state, "");
  EXPECT_EQ(state.sidebar_scroll, scrolled);
  EXPECT_TRUE(row_in_view(20));
  ASSERT_TRUE(state.edit);
  EXPECT_EQ(state.edit->bundle_id, state.store.bundles[20].id);
  // A text typed into the box still shows the list from its top.
  app::on_search_text_changed(state, "bundle");
  EXPECT_EQ(state.sidebar_scroll, 0);
}

struct ItemsBelowTheFold : EditLifetime {
  void SetUp() override {
    EditLifetime::SetUp();
    for (int i = 0; i < 30; ++i) state.store.bundles[0].items.push_back(file_item("C:\\f" + std::to_string(i)));
  }
};

TEST_F(ItemsBelowTheFold, TheMenuKeyBringsTheSelectedItemBackBeforeItsMenuOpens) {
  state.selected_item = 25;
  state.content_scroll = 0;  // item 25 lies far below the window's bottom
  app::open_focus_menu(state);
  ASSERT_EQ(platform.menus.size(), 1u);
  EXPECT_GT(platform.menus[0].y, 0);
  EXPECT_LE(platform.menus[0].y, state.client_height);
  const app::ViewLayout layout = app::layout_view(state, &measure);
  const auto row = app::item_row_rect(layout, 25);
  ASSERT_TRUE(row);
  EXPECT_GE(row->y, layout.content->list_top);
  EXPECT_LE(row->bottom(), layout.height);

  // Scrolled far down, it comes back below the header.
  platform.menus.clear();
  state.selected_item = 1;
  state.content_scroll = 100000;
  app::open_focus_menu(state);
  ASSERT_EQ(platform.menus.size(), 1u);
  const app::ViewLayout after = app::layout_view(state, &measure);
  EXPECT_GE(app::item_row_rect(after, 1)->y, after.content->list_top);
  EXPECT_LE(platform.menus[0].y, state.client_height);
}

TEST_F(ItemsBelowTheFold, AnItemFieldShowsOnlyBelowTheHeader) {
  begin(app::EditMode::item_name, "b1", 3);
  const app::ViewLayout top = app::layout_view(state, &measure);
  const gfx::RectF clip = app::edit_field_clip(top, state);
  const float header_bottom = top.content->list_top - 6;
  EXPECT_FLOAT_EQ(clip.y, header_bottom);
  EXPECT_FLOAT_EQ(clip.bottom(), top.height);
  // Scrolled so that the row passes under the header: the field's box reaches
  // above the clip, which keeps it off the header.
  state.content_scroll = 3 * top.item_pitch + 24;
  const app::ViewLayout scrolled = app::layout_view(state, &measure);
  const auto field = app::edit_control_rect(scrolled, state);
  ASSERT_TRUE(field);
  EXPECT_LT(field->y, app::edit_field_clip(scrolled, state).y);
  // The title's field is not held to the list.
  app::end_edit(state, true);
  begin(app::EditMode::bundle_name, "b1");
  EXPECT_FLOAT_EQ(app::edit_field_clip(scrolled, state).y, 0);
}

}  // namespace
