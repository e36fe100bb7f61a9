#include "app/reach/sign_in.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/bundles/edit_commit.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/undo.h"
#include "app/input/bundle_menu.h"
#include "app/opening/open.h"
#include "app/reach/notification_area.h"
#include "app/reach/startup.h"
#include "store_fixture.h"

namespace {

using testing_support::app_item;
using testing_support::FakeOpener;
using testing_support::file_item;

bundle::Bundle bundle_of(std::string id, std::vector<bundle::Item> items, bool marked, double delay = 0) {
  bundle::Bundle made{std::move(id), {}, std::move(items)};
  made.name = "Bundle " + made.id;
  made.at_sign_in = marked;
  made.sign_in_delay = delay;
  return made;
}

// --- the Run value ---

TEST(RunValue, WantedWhileABundleIsMarkedOrTheNotificationAreaSettingIsOn) {
  bundle::Store none;
  none.bundles = {bundle_of("a", {file_item("C:\\a.txt")}, false), bundle_of("b", {}, false)};
  bundle::Store one = none;
  one.bundles[1].at_sign_in = true;  // even an empty bundle: it is the user's mark

  EXPECT_FALSE(app::run_value_wanted(none, false));
  EXPECT_TRUE(app::run_value_wanted(none, true));
  EXPECT_TRUE(app::run_value_wanted(one, false));
  EXPECT_TRUE(app::run_value_wanted(one, true));
  EXPECT_FALSE(app::run_value_wanted(bundle::Store{}, false));
}

TEST(RunValue, DataIsTheQuotedProgramAndTheSwitch) {
  EXPECT_EQ(app::run_value_data("C:\\Users\\Ünal Öz\\AppData\\Local\\Programs\\tolvik\\tolvik.exe"),
            "\"C:\\Users\\Ünal Öz\\AppData\\Local\\Programs\\tolvik\\tolvik.exe\" --sign-in");
}

TEST(RunValue, ChangedOnlyWhenItDiffers) {
  using enum app::RunValueChange;
  const std::string ours = "\"C:\\P\\tolvik.exe\" --sign-in";
  struct Case {
    std::optional<std::string> current;
    bool wanted;
    app::RunValueChange change;
  } cases[] = {
      {std::nullopt, true, write},
      {ours, true, none},
      {"\"D:\\Old\\tolvik.exe\" --sign-in", true, write},  // another copy of the program
      {"\"C:\\P\\tolvik.exe\"", true, write},
      {ours, false, remove},
      {"\"D:\\Old\\tolvik.exe\" --sign-in", false, remove},
      {std::nullopt, false, none},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::run_value_change(c.current, c.wanted, ours), c.change)
        << c.current.value_or("(none)") << " wanted " << c.wanted;
  }
}

TEST(RunValue, TaskManagerTurnsItOffWithAnOddFirstByte) {
  using Bytes = std::vector<std::uint8_t>;
  EXPECT_TRUE(app::startup_turned_off(Bytes{0x03, 0, 0, 0, 0x12, 0x34, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(app::startup_turned_off(Bytes{0x01}));
  EXPECT_FALSE(app::startup_turned_off(Bytes{0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(app::startup_turned_off(Bytes{0x06}));
  EXPECT_FALSE(app::startup_turned_off(Bytes{}));
}

TEST(SignInStart, PlannedFromTheSwitchInAnyLetterCase) {
  EXPECT_TRUE(app::plan_start({"tolvik.exe", "--sign-in"}).sign_in);
  EXPECT_TRUE(app::plan_start({"tolvik.exe", "--SIGN-IN"}).sign_in);
  EXPECT_FALSE(app::plan_start({"tolvik.exe"}).sign_in);
  EXPECT_FALSE(app::plan_start({"tolvik.exe", "--open", "b1"}).sign_in);
  EXPECT_FALSE(app::plan_start({"tolvik.exe", "--sign-in-now"}).sign_in);
  // The elevated helper's line is never anything else.
  EXPECT_FALSE(app::plan_start({"tolvik.exe", "--run-elevated", "f", "d", "--sign-in"}).sign_in);
}

// --- opening at sign-in ---

class OpenAtSignIn : public ::testing::Test {
 protected:
  FakeOpener opener;
  std::vector<std::string> recorded;  // bundle ids handed to the opening record

  std::optional<std::string> open(const bundle::Store& store) {
    return app::open_at_sign_in(
        base::Result<bundle::Store>(store), opener,
        [this](double seconds) { opener.events.push_back("until:" + std::to_string(static_cast<int>(seconds))); },
        [this](const std::string& id, const std::vector<bundle::Item>&, const app::OpenResult&) {
          recorded.push_back(id);
        });
  }
};

TEST_F(OpenAtSignIn, EachMarkedBundleAtItsWaitCountedFromTheStartInTheJumpListsOrder) {
  opener.existing = {"a", "b", "c", "d", "d2"};
  bundle::Store store;
  store.bundles = {bundle_of("A", {file_item("a")}, true, 10),
                   bundle_of("B", {file_item("b")}, false),
                   bundle_of("C", {file_item("c")}, true),
                   bundle_of("D", {file_item("d"), file_item("d2")}, true, 10),
                   bundle_of("E", {}, true, 5)};

  EXPECT_EQ(open(store), std::nullopt);
  // C has no wait and opens first; A and D share theirs and keep the store's
  // order; the unmarked and the empty bundle are not opened.
  EXPECT_EQ(opener.events, (std::vector<std::string>{"until:0", "exists:c", "start:c", "until:10", "exists:a",
                                                     "start:a", "until:10", "exists:d", "start:d", "exists:d2",
                                                     "wait", "start:d2"}));
  EXPECT_EQ(recorded, (std::vector<std::string>{"C", "A", "D"}));
}

TEST_F(OpenAtSignIn, AWaitOutOfRangeIsHeldToTheLimits) {
  opener.existing = {"a", "b"};
  bundle::Store store;
  store.bundles = {bundle_of("A", {file_item("a")}, true, 5000), bundle_of("B", {file_item("b")}, true, -3)};
  EXPECT_EQ(open(store), std::nullopt);
  EXPECT_EQ(opener.events,
            (std::vector<std::string>{"until:0", "exists:b", "start:b", "until:600", "exists:a", "start:a"}));
}

TEST_F(OpenAtSignIn, BundlesToReviewAreSkippedAndListedWithWhatFailedInOneMessage) {
  opener.existing = {"C:\\ok.txt", "C:\\tool.exe", "C:\\fails.exe"};
  opener.failing = {"C:\\fails.exe"};
  bundle::Item shared = app_item("C:\\tool.exe");
  shared.unreviewed = true;
  bundle::Store store;
  store.bundles = {bundle_of("S", {shared}, true), bundle_of("F", {app_item("C:\\fails.exe")}, true, 3),
                   bundle_of("G", {file_item("C:\\ok.txt")}, true, 1)};

  EXPECT_EQ(open(store),
            "Not everything opened when you signed in.\n\n"
            "“Bundle S” wasn't opened: it has items from a file that you haven't confirmed yet. Open it once in "
            "tolvik to confirm them.\n\n"
            "Bundle F\n\n1 couldn't be opened (fails)\n\nfails: The system cannot find the file specified.");
  // Nothing of the bundle to review was even looked for.
  EXPECT_EQ(opener.events, (std::vector<std::string>{"until:1", "exists:C:\\ok.txt", "start:C:\\ok.txt", "until:3",
                                                     "exists:C:\\fails.exe", "start:C:\\fails.exe"}));
  EXPECT_EQ(recorded, (std::vector<std::string>{"G", "F"}));
}

TEST_F(OpenAtSignIn, AnUnreadableStoreIsTold) {
  EXPECT_EQ(app::open_at_sign_in(base::fail("parse error at line 2, column 3"), opener, [](double) {}),
            "Couldn't read the saved bundles.\n\nparse error at line 2, column 3");
  EXPECT_TRUE(opener.events.empty());
}

// --- the bundle menu's entry and the Run value kept with the marks ---

class SignInMenu : public testing_support::StoreFixture {
 protected:
  void SetUp() override {
    state.store.bundles = {bundle_of("b1", {file_item("C:\\a.txt")}, false),
                           bundle_of("b2", {file_item("C:\\b.txt")}, false)};
  }
  void choose(std::size_t index) {
    platform.menu_choices = {static_cast<int>(app::BundleCommand::sign_in)};
    app::show_bundle_menu(state, index, 10, 20);
  }
  // The sign-in entry of the last menu shown.
  const app::MenuEntry& entry() const {
    for (const app::MenuEntry& e : platform.menus.back().entries) {
      if (e.id == static_cast<int>(app::BundleCommand::sign_in) && !e.separator) return e;
    }
    throw std::runtime_error("no sign-in entry");
  }
  bool stored_mark(std::size_t index) const {
    auto loaded = bundle::load_store(state.store_path);
    return loaded && loaded->bundles.at(index).at_sign_in;
  }
};

TEST_F(SignInMenu, TheEntryTogglesTheMarkSavesItAndKeepsTheRunValue) {
  choose(1);
  EXPECT_EQ(entry().label, "Open when I sign in");
  EXPECT_FALSE(entry().checked);
  EXPECT_TRUE(state.store.bundles[1].at_sign_in);
  EXPECT_TRUE(stored_mark(1));
  EXPECT_EQ(platform.run_values, std::vector<bool>{true});
  EXPECT_EQ(toasts.back(), "“Bundle b2” opens when you sign in");
  EXPECT_TRUE(state.toast->has_undo());

  choose(1);
  EXPECT_TRUE(entry().checked);
  EXPECT_FALSE(state.store.bundles[1].at_sign_in);
  EXPECT_FALSE(stored_mark(1));
  EXPECT_EQ(platform.run_values, (std::vector<bool>{true, false}));
  EXPECT_EQ(toasts.back(), "“Bundle b2” no longer opens when you sign in");

  // Undo takes the unmarking back, and the value with it.
  app::undo(state);
  EXPECT_TRUE(state.store.bundles[1].at_sign_in);
  EXPECT_TRUE(stored_mark(1));
  EXPECT_EQ(platform.run_values.back(), true);
  EXPECT_EQ(toasts.back(), "Undone");
}

TEST_F(SignInMenu, DeletingTheMarkedBundleDropsTheValueAndItsUndoBringsItBack) {
  choose(0);
  app::delete_bundle(state, 0);
  EXPECT_EQ(platform.run_values.back(), false);
  app::undo(state);
  EXPECT_TRUE(state.store.bundles[0].at_sign_in);
  EXPECT_EQ(platform.run_values.back(), true);
}

TEST_F(SignInMenu, TheNotificationAreaSettingKeepsTheValueWithoutAMark) {
  state.keep_in_notification_area = true;
  choose(0);
  choose(0);
  EXPECT_FALSE(state.store.bundles[0].at_sign_in);
  EXPECT_EQ(platform.run_values, (std::vector<bool>{true, true}));
}

TEST_F(SignInMenu, OnlyASaveThatChangesTheMarksGoesToTheRegistry) {
  choose(0);
  ASSERT_EQ(platform.run_values, (std::vector<bool>{true}));
  app::commit_bundle_name(state, state.store.bundles[0].id, "Renamed");
  app::commit_bundle_name(state, state.store.bundles[0].id, "Renamed again");
  EXPECT_EQ(platform.run_values, (std::vector<bool>{true}));
  choose(0);
  EXPECT_EQ(platform.run_values, (std::vector<bool>{true, false}));
}

TEST_F(SignInMenu, WhenTheRunValueCannotBeWrittenTheToastAndTheEntrySaySo) {
  platform.run_key_refusal = "Access is denied.";
  choose(1);
  EXPECT_TRUE(stored_mark(1));
  EXPECT_EQ(toasts.back(), "Couldn't change whether Windows starts tolvik when you sign in: Access is denied.");
  EXPECT_TRUE(state.toast->has_undo());
  platform.menu_choices = {0};
  app::show_bundle_menu(state, 1, 10, 20);
  EXPECT_EQ(entry().label, "Open when I sign in (couldn't be set up in Windows)");
  EXPECT_FALSE(entry().checked);
  // An unmarked bundle's entry has nothing to say.
  app::show_bundle_menu(state, 0, 10, 20);
  EXPECT_EQ(entry().label, "Open when I sign in");

  // Once the value can be written, the next change writes it and all is as marked.
  platform.run_key_refusal.reset();
  choose(0);
  EXPECT_EQ(toasts.back(), "“Bundle b1” opens when you sign in");
  app::show_bundle_menu(state, 1, 10, 20);
  EXPECT_EQ(entry().label, "Open when I sign in");
  EXPECT_TRUE(entry().checked);
}

TEST_F(SignInMenu, TheNotificationAreaSettingSaysWhenTheRunValueCannotBeWritten) {
  platform.run_key_refusal = "Access is denied.";
  app::toggle_keep_in_notification_area(state);
  EXPECT_TRUE(state.keep_in_notification_area);
  ASSERT_FALSE(toasts.empty());
  EXPECT_EQ(toasts.back(), "Couldn't change whether Windows starts tolvik when you sign in: Access is denied.");
}

TEST_F(SignInMenu, AFailedSaveLeavesTheValueAlone) {
  break_saving();
  choose(0);
  EXPECT_TRUE(platform.run_values.empty());
}

TEST_F(SignInMenu, TheEntrySaysWhenWindowsStartUpAppsTurnedTolvikOff) {
  platform.startup_switched_off = true;
  state.store.bundles[0].at_sign_in = true;
  platform.menu_choices = {0};
  app::show_bundle_menu(state, 0, 10, 20);
  EXPECT_EQ(entry().label, "Open when I sign in (turned off in Windows' start-up apps)");
  EXPECT_TRUE(entry().checked);
  EXPECT_TRUE(entry().enabled);
  EXPECT_EQ(app::sign_in_entry_label(false), "Open when I sign in");
}

}  // namespace
