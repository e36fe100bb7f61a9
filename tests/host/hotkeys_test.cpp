#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/bundles/remove_delete.h"
#include "app/bundles/undo.h"
#include "app/input/bundle_menu.h"
#include "app/reach/hotkeys.h"
#include "app/reach/startup.h"
#include "app/view/layout.h"
#include "app/view/selection.h"
#include "app/view/view_labels.h"
#include "store_fixture.h"
#include "view_fixture.h"

namespace {

using bundle::Hotkey;
using testing_support::file_item;
using Strings = std::vector<std::string>;

constexpr Hotkey kCtrl1{true, false, false, '1'};
constexpr Hotkey kCtrlAlt2{true, true, false, '2'};
constexpr Hotkey kAltShiftF5{false, true, true, 0x74};

bundle::Bundle keyed(std::string id, std::string name, std::optional<Hotkey> hotkey) {
  bundle::Bundle b{std::move(id), std::move(name), {file_item("C:\\a.txt")}};
  b.hotkey = hotkey;
  return b;
}

// --- which keys to register and give back ---

struct ChangesCase {
  const char* what;
  std::vector<app::HotkeyRegistration> registered;
  std::vector<bundle::Bundle> bundles;
  Strings unregister;
  Strings add;  // "b1 Ctrl+1"
};

Strings added(const app::HotkeyChanges& changes) {
  Strings out;
  for (const auto& [id, hotkey] : changes.add) out.push_back(id + " " + bundle::hotkey_text(hotkey));
  return out;
}

TEST(HotkeyChanges, RegistrationsFollowTheStore) {
  const ChangesCase cases[] = {
      {"nothing anywhere", {}, {keyed("b1", "A", std::nullopt)}, {}, {}},
      {"a first key", {}, {keyed("b1", "A", kCtrl1)}, {}, {"b1 Ctrl+1"}},
      {"unchanged", {{"b1", kCtrl1, true}}, {keyed("b1", "A", kCtrl1)}, {}, {}},
      {"changed key", {{"b1", kCtrl1, true}}, {keyed("b1", "A", kCtrlAlt2)}, {"b1"}, {"b1 Ctrl+Alt+2"}},
      {"key cleared", {{"b1", kCtrl1, true}}, {keyed("b1", "A", std::nullopt)}, {"b1"}, {}},
      {"bundle deleted", {{"b1", kCtrl1, true}, {"b2", kCtrlAlt2, true}}, {keyed("b2", "B", kCtrlAlt2)}, {"b1"}, {}},
      // Windows refused it: it is not asked for again until the key changes
      // (the next start tries again).
      {"refused stays", {{"b1", kCtrl1, false}}, {keyed("b1", "A", kCtrl1)}, {}, {}},
      {"refused, then changed", {{"b1", kCtrl1, false}}, {keyed("b1", "A", kAltShiftF5)}, {"b1"},
       {"b1 Alt+Shift+F5"}},
      // One change passes the key from b1 to b2: b1 gives it back first.
      {"key passed on", {{"b1", kCtrl1, true}}, {keyed("b1", "A", std::nullopt), keyed("b2", "B", kCtrl1)},
       {"b1"}, {"b2 Ctrl+1"}},
      // Two bundles with one key (an undo after the key went elsewhere): the first has it.
      {"same key twice", {}, {keyed("b1", "A", kCtrl1), keyed("b2", "B", kCtrl1)}, {}, {"b1 Ctrl+1"}},
      {"unusable key", {}, {keyed("b1", "A", Hotkey{false, false, true, 'A'})}, {}, {}},
  };
  for (const ChangesCase& c : cases) {
    bundle::Store store;
    store.bundles = c.bundles;
    const app::HotkeyChanges changes = app::hotkey_changes(c.registered, store);
    EXPECT_EQ(changes.unregister, c.unregister) << c.what;
    EXPECT_EQ(added(changes), c.add) << c.what;
  }
}

// --- the header's text ---

TEST(HotkeyHeader, TheKeyAndWhetherWindowsRefusedIt) {
  bundle::Bundle b = keyed("b1", "A", std::nullopt);
  EXPECT_EQ(app::header_hotkey_text(b, {}), "");
  b.hotkey = Hotkey{true, true, false, '1'};
  EXPECT_EQ(app::header_hotkey_text(b, {}), "Ctrl+Alt+1");
  EXPECT_EQ(app::header_hotkey_text(b, {{"b1", *b.hotkey, true}}), "Ctrl+Alt+1");
  EXPECT_EQ(app::header_hotkey_text(b, {{"b1", *b.hotkey, false}}), "Ctrl+Alt+1 · not available");
  // Another bundle's refusal is not this one's.
  EXPECT_EQ(app::header_hotkey_text(b, {{"b2", *b.hotkey, false}}), "Ctrl+Alt+1");
}

// --- the dialog's form ---

TEST(HotkeyForm, TakenKeysMissingModifiersAndWaitsOutOfRangeAreRefused) {
  const app::HotkeyDialogInput input{"Mail", std::nullopt, 0, {{kCtrlAlt2, "Month-end closing"}}};
  auto taken = app::read_hotkey_form({kCtrlAlt2, "0"}, input, ".");
  ASSERT_FALSE(taken);
  EXPECT_EQ(taken.error().field, app::HotkeyField::hotkey);
  EXPECT_EQ(taken.error().text, "Ctrl+Alt+2 is already the hotkey of “Month-end closing”.");

  auto bare = app::read_hotkey_form({Hotkey{false, false, true, 'K'}, ""}, input, ".");
  ASSERT_FALSE(bare);
  EXPECT_EQ(bare.error().field, app::HotkeyField::hotkey);

  for (const char* wait : {"601", "-1", "ten", "1e3"}) {
    auto out = app::read_hotkey_form({kCtrl1, wait}, input, ".");
    ASSERT_FALSE(out) << wait;
    EXPECT_EQ(out.error().field, app::HotkeyField::delay) << wait;
    EXPECT_EQ(out.error().text, "Enter a number of seconds from 0 to 600") << wait;
  }

  auto fine = app::read_hotkey_form({kCtrl1, " 2,5 "}, input, ",");
  ASSERT_TRUE(fine);
  EXPECT_EQ(*fine, (app::HotkeyChoice{kCtrl1, 2.5}));
  auto cleared = app::read_hotkey_form({std::nullopt, ""}, input, ".");
  ASSERT_TRUE(cleared);
  EXPECT_EQ(*cleared, (app::HotkeyChoice{std::nullopt, 0}));
}

// --- the command, its undo and the registrations that follow the store ---

struct BundleHotkey : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {keyed("b1", "Mail", std::nullopt), keyed("b2", "Month-end closing", kCtrlAlt2),
                           keyed("b3", "Trip", std::nullopt)};
    app::sync_hotkeys(state);
    platform.hotkey_calls.clear();
  }
  void choose(std::size_t index, app::HotkeyChoice choice) {
    platform.hotkey_answer = choice;
    platform.menu_choices = {static_cast<int>(app::BundleCommand::hotkey)};
    app::show_bundle_menu(state, index, 10, 20);
  }
};

TEST_F(BundleHotkey, TheDialogShowsTheBundleAndTheOtherBundlesKeys) {
  state.store.bundles[0].sign_in_delay = 30;
  choose(0, {});
  platform.hotkey_answer.reset();
  ASSERT_EQ(platform.hotkey_dialogs.size(), 1u);
  const app::HotkeyDialogInput& shown = platform.hotkey_dialogs[0];
  EXPECT_EQ(shown.bundle_name, "Mail");
  EXPECT_EQ(shown.hotkey, std::nullopt);
  EXPECT_EQ(shown.sign_in_delay, 30);
  ASSERT_EQ(shown.others.size(), 1u);
  EXPECT_EQ(shown.others[0].first, kCtrlAlt2);
  EXPECT_EQ(shown.others[0].second, "Month-end closing");
}

TEST_F(BundleHotkey, OkSavesRegistersAndUndoPutsTheOldKeyBack) {
  choose(0, {kCtrl1, 15});
  EXPECT_EQ(state.store.bundles[0].hotkey, kCtrl1);
  EXPECT_EQ(state.store.bundles[0].sign_in_delay, 15);
  expect_saved();
  EXPECT_NE(saved().find("\"hotkey\": \"Ctrl+1\""), std::string::npos);
  EXPECT_EQ(platform.hotkey_calls, Strings{"+b1 Ctrl+1"});
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Changed the hotkey of “Mail”");
  EXPECT_TRUE(state.toast->has_undo());
  EXPECT_TRUE(platform.informations.empty());

  // Changing it again gives the old key back before the new one is asked for.
  platform.hotkey_calls.clear();
  choose(0, {kAltShiftF5, 15});
  EXPECT_EQ(platform.hotkey_calls, (Strings{"-b1", "+b1 Alt+Shift+F5"}));

  platform.hotkey_calls.clear();
  app::undo(state);
  EXPECT_EQ(state.store.bundles[0].hotkey, kCtrl1);
  EXPECT_EQ(state.store.bundles[0].sign_in_delay, 15);
  expect_saved();
  EXPECT_EQ(platform.hotkey_calls, (Strings{"-b1", "+b1 Ctrl+1"}));
  EXPECT_EQ(state.toast->text, "Undone");
}

TEST_F(BundleHotkey, TheFirstKeyOffersTheNotificationAreaOnceAndYesTurnsItOn) {
  // A store without keys: the first one asks, since keys need tolvik running.
  state.store.bundles[1].hotkey.reset();
  platform.answers = {true};
  choose(0, {kCtrl1, 0});
  ASSERT_EQ(platform.questions.size(), 1u);
  EXPECT_NE(platform.questions[0].find("notification area"), std::string::npos);
  EXPECT_TRUE(state.keep_in_notification_area);
  EXPECT_TRUE(platform.notification_icon);
  EXPECT_EQ(platform.numbers.at("KeepInNotificationArea"), 1u);
  ASSERT_FALSE(platform.run_values.empty());
  EXPECT_TRUE(platform.run_values.back());  // tolvik now starts at sign-in, behind its icon

  // A second key, or a key while the setting is on, asks nothing.
  choose(2, {kAltShiftF5, 0});
  EXPECT_EQ(platform.questions.size(), 1u);
}

TEST_F(BundleHotkey, NoToTheOfferLeavesTheSettingOffAndAKeyAlreadyThereAsksNothing) {
  state.store.bundles[1].hotkey.reset();
  platform.answers = {false};
  choose(0, {kCtrl1, 0});
  EXPECT_EQ(platform.questions.size(), 1u);
  EXPECT_FALSE(state.keep_in_notification_area);
  EXPECT_FALSE(platform.notification_icon);
  EXPECT_EQ(state.store.bundles[0].hotkey, kCtrl1);  // the key is kept either way

  // Another bundle already has a key: not the first, so no question.
  platform.questions.clear();
  choose(2, {kAltShiftF5, 0});
  EXPECT_TRUE(platform.questions.empty());
}

TEST_F(BundleHotkey, UndoLeavesOutAKeyAnotherBundleTookMeanwhile) {
  state.store.bundles[0].hotkey = kCtrl1;
  app::sync_hotkeys(state);
  choose(0, {std::nullopt, 0});  // cleared: Ctrl+1 is free
  EXPECT_EQ(state.store.bundles[0].hotkey, std::nullopt);
  state.store.bundles[2].hotkey = kCtrl1;  // taken by "Trip" (as another change would)
  app::undo(state);
  EXPECT_EQ(state.store.bundles[0].hotkey, std::nullopt);
  EXPECT_EQ(state.store.bundles[2].hotkey, kCtrl1);
}

TEST_F(BundleHotkey, AKeyAnotherProgramHoldsIsSaidKeptAndShownNotAvailable) {
  platform.held_elsewhere = {kCtrl1};
  choose(0, {kCtrl1, 0});
  EXPECT_EQ(state.store.bundles[0].hotkey, kCtrl1);
  expect_saved();
  ASSERT_EQ(platform.informations.size(), 1u);
  EXPECT_NE(platform.informations[0].first.find("Ctrl+1 is used by another program"), std::string::npos);
  EXPECT_EQ(platform.informations[0].second, "Hotkey for “Mail”");
  EXPECT_EQ(app::header_hotkey_text(state.store.bundles[0], platform.registrations), "Ctrl+1 · not available");
}

TEST_F(BundleHotkey, AKeyTakenWhileTheDialogWasUpIsNotPutIn) {
  platform.during_hotkey_dialog = [this] { state.store.bundles[2].hotkey = kCtrl1; };
  choose(0, {kCtrl1, 0});
  EXPECT_EQ(state.store.bundles[0].hotkey, std::nullopt);
  EXPECT_FALSE(store_file_exists());
}

TEST_F(BundleHotkey, ABundleDeletedWhileTheDialogWasUpIsLeftAlone) {
  platform.during_hotkey_dialog = [this] { state.store.bundles.erase(state.store.bundles.begin()); };
  choose(0, {kCtrl1, 0});
  EXPECT_EQ(names(), (Strings{"Month-end closing", "Trip"}));
  EXPECT_TRUE(platform.hotkey_calls.empty());
}

TEST_F(BundleHotkey, DeletingABundleGivesItsKeyBackAndUndoTakesItAgain) {
  app::delete_bundle(state, 1);
  EXPECT_EQ(platform.hotkey_calls, Strings{"-b2"});
  EXPECT_TRUE(platform.registrations.empty());
  app::undo(state);
  EXPECT_EQ(platform.hotkey_calls, (Strings{"-b2", "+b2 Ctrl+Alt+2"}));
  ASSERT_EQ(platform.registrations.size(), 1u);
  EXPECT_TRUE(platform.registrations[0].held);
}

TEST_F(BundleHotkey, APressOpensTheBundleAndASecondPressWhileItOpensSaysSo) {
  state.selected_bundle = 0;
  app::on_hotkey_pressed(state, "b2");
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].bundle_id, "b2");
  EXPECT_EQ(state.selected_bundle, 1u);

  app::on_hotkey_pressed(state, "b2");
  EXPECT_EQ(platform.open_requests.size(), 1u);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "“Month-end closing” is still opening");

  app::on_hotkey_pressed(state, "gone");  // a bundle deleted since: nothing
  EXPECT_EQ(platform.open_requests.size(), 1u);
}

// --- the header's layout ---

struct HotkeyLayout : testing_support::ViewFixture {
  HotkeyLayout() {
    bundles(2, 1);
    state.selected_bundle = 0;
    state.store.bundles[0].hotkey = Hotkey{true, true, false, '1'};
    platform.registrations = {{"b0", *state.store.bundles[0].hotkey, false}};
  }
};

TEST_F(HotkeyLayout, TheKeyFollowsTheNameAndNeverReachesOpen) {
  const app::ViewLayout wide = layout();
  ASSERT_TRUE(wide.content);
  const app::ContentLayout& c = *wide.content;
  EXPECT_EQ(c.hotkey_label, "Ctrl+Alt+1 · not available");
  EXPECT_FLOAT_EQ(c.title_text.w, testing_support::FakeMeasure::width("bundle 0") + 1);
  EXPECT_GT(c.hotkey.x, c.title_text.right());
  EXPECT_FLOAT_EQ(c.hotkey.w, testing_support::FakeMeasure::width(c.hotkey_label) + 1);
  EXPECT_LT(c.hotkey.right(), c.open.x);
  EXPECT_FLOAT_EQ(c.hotkey.y, c.title_text.y);
}

TEST_F(HotkeyLayout, AtTheSmallestWindowALongNameIsCutFirst) {
  state.store.bundles[0].name = std::string(80, 'N');
  window(app::kMinWindowWidth, app::kMinWindowHeight, 96);
  const app::ViewLayout small = layout();
  ASSERT_TRUE(small.content);
  const app::ContentLayout& c = *small.content;
  EXPECT_LT(c.title_text.w, testing_support::FakeMeasure::width(state.store.bundles[0].name));
  EXPECT_FLOAT_EQ(c.hotkey.w, testing_support::FakeMeasure::width(c.hotkey_label) + 1);
  EXPECT_LE(c.hotkey.right(), c.open.x);
  EXPECT_GE(c.title_text.w, 0);

  state.store.bundles[0].hotkey.reset();
  state.redraw();
  const app::ViewLayout without = layout();
  EXPECT_EQ(without.content->hotkey_label, "");
  EXPECT_EQ(without.content->hotkey.w, 0);
}

}  // namespace
