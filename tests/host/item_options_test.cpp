#include "app/opening/item_options.h"

#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include <string>

#include "app/bundles/undo.h"
#include "app/input/menus.h"
#include "app/view/selection.h"
#include "store_fixture.h"

namespace {

using bundle::IfRunning;
using bundle::Kind;
using bundle::WindowState;
using testing_support::app_item;
using testing_support::file_item;
using testing_support::url_item;

TEST(ItemOptionsRules, EachKindTakesItsOwnOptions) {
  // delay, wait, if running, window, admin, start in, keep open
  const std::pair<Kind, const char*> cases[] = {
      {Kind::app, "+++++++"}, {Kind::file, "++-+--+"}, {Kind::folder, "+-++--+"}, {Kind::url, "+-----+"}};
  for (const auto& [kind, expected] : cases) {
    const app::ApplicableOptions a = app::applicable_options(kind);
    std::string shape;
    for (bool on : {a.delay, a.wait, a.if_running, a.window, a.admin, a.dir, a.keep_open}) shape += on ? '+' : '-';
    EXPECT_EQ(shape, expected) << bundle::kind_name(kind);
  }
}

TEST(ItemOptionsRules, SecondsAsTyped) {
  EXPECT_EQ(app::parse_seconds(" 2.5 ", ","), 2.5);
  EXPECT_EQ(app::parse_seconds("2,5", ","), 2.5);
  EXPECT_EQ(app::parse_seconds(".5", "."), 0.5);
  EXPECT_EQ(app::parse_seconds("10", ""), 10.0);
  for (const char* refused : {"", " ", ".", "2,5", "-1", "+1", "1e2", "1.2.3", "inf", "nan", "3 s", "0x10"}) {
    EXPECT_FALSE(app::parse_seconds(refused, ".")) << refused;
  }
  EXPECT_EQ(app::format_seconds(2.5, ","), "2,5");
  EXPECT_EQ(app::format_seconds(30, ","), "30");
  EXPECT_EQ(app::default_wait_text("."), "30");
}

TEST(ItemOptionsRules, TheFormGivesBackWhatItShowed) {
  const bundle::ItemOptions options{1.25, 45, IfRunning::skip, WindowState::minimized, true, "D:\\Work", true};
  const app::OptionsForm form = app::options_form(options, ",");
  EXPECT_EQ(form.delay, "1,25");
  EXPECT_EQ(form.wait_seconds, "45");
  auto read = app::read_options_form(form, Kind::app, ",");
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, options);
  // A web address keeps only what applies to it.
  read = app::read_options_form(form, Kind::url, ",");
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, (bundle::ItemOptions{.delay = 1.25, .keep_open = true}));
  EXPECT_EQ(app::options_form({}, ".").wait_seconds, "");
}

TEST(ItemOptionsRules, NumbersOutOfRangeNameTheirField) {
  app::OptionsForm form;
  form.delay = "600.5";
  auto read = app::read_options_form(form, Kind::app, ".");
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().field, app::OptionsField::delay);
  EXPECT_EQ(read.error().text, "Enter a number of seconds from 0 to 600");

  form.delay = " ";  // an empty delay is none
  form.wait = true;
  form.wait_seconds = "0.5";
  read = app::read_options_form(form, Kind::file, ".");
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().field, app::OptionsField::wait);
  EXPECT_EQ(read.error().text, "Enter a number of seconds from 1 to 600");

  form.wait = false;  // an unticked wait's field is not read
  read = app::read_options_form(form, Kind::file, ".");
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, bundle::ItemOptions{});
}

class ItemOptionsEdit : public testing_support::StoreFixture {
 protected:
  void SetUp() override {
    state.store.bundles = {{"b1", "Work", {app_item("C:\\Tools\\tool.exe"), url_item("https://a.bc/")}}};
    app::select_bundle(state, 0);
  }
  void choose_options(std::size_t item) {
    platform.menu_choices = {static_cast<int>(app::ItemCommand::options)};
    app::show_item_menu(state, item, 10, 20);
  }
  const bundle::ItemOptions& options(std::size_t item) const { return state.store.bundles[0].items[item].options; }
};

TEST_F(ItemOptionsEdit, OkSavesTheOptionsAndUndoTakesThemBack) {
  const bundle::ItemOptions chosen{.delay = 3, .window = WindowState::maximized, .dir = "C:\\Work"};
  platform.options_answer = chosen;
  choose_options(0);
  ASSERT_EQ(platform.options_shown.size(), 1u);
  EXPECT_EQ(platform.options_shown[0], app_item("C:\\Tools\\tool.exe"));
  EXPECT_EQ(options(0), chosen);
  expect_saved();
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Changed the options of “tool”");
  EXPECT_TRUE(state.toast->has_undo());

  app::undo(state);
  EXPECT_EQ(options(0), bundle::ItemOptions{});
  expect_saved();
  EXPECT_EQ(state.toast->text, "Undone");
}

TEST_F(ItemOptionsEdit, CancelOrNoChangeSavesNothing) {
  choose_options(1);  // cancelled
  platform.options_answer = bundle::ItemOptions{};
  choose_options(1);  // OK without a change
  EXPECT_EQ(platform.options_shown.size(), 2u);
  EXPECT_FALSE(store_file_exists());
  EXPECT_FALSE(state.toast);
}

TEST_F(ItemOptionsEdit, AnItemThatChangedWhileTheDialogWasOpenIsLeftAlone) {
  platform.options_answer = bundle::ItemOptions{.keep_open = true};
  platform.during_options = [this] { state.store.bundles[0].items.erase(state.store.bundles[0].items.begin()); };
  choose_options(0);
  EXPECT_EQ(options(0), bundle::ItemOptions{});
  EXPECT_FALSE(store_file_exists());

  // The item moved after the change: Undo still finds it by its target.
  platform.during_options = nullptr;
  state.store.bundles[0].items.push_back(file_item("C:\\a.txt"));
  choose_options(0);
  std::swap(state.store.bundles[0].items[0], state.store.bundles[0].items[1]);
  app::undo(state);
  EXPECT_EQ(state.store.bundles[0].items[1].options, bundle::ItemOptions{});
  EXPECT_EQ(state.selected_item, 1u);
}

}  // namespace
