#include "app/reach/notification_area.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/input/menus.h"
#include "app/reach/hand_over.h"
#include "app/reach/offered_bundles.h"
#include "app/reach/startup.h"
#include "app/state/toast.h"
#include "store_fixture.h"

namespace {

using testing_support::file_item;

bundle::Bundle named(std::string id, std::string name) {
  return bundle::Bundle{std::move(id), std::move(name), {file_item("C:\\" + name + ".txt")}};
}

std::vector<std::string> labels(const std::vector<app::MenuEntry>& entries) {
  std::vector<std::string> out;
  for (const app::MenuEntry& e : entries) out.push_back(e.separator ? "|" : e.label);
  return out;
}

int bundle_id(std::size_t row) { return static_cast<int>(app::NotificationCommand::first_bundle) + static_cast<int>(row); }

// --- the icon's menu ---

TEST(NotificationMenu, ListsTheBundlesInStoreOrderThenShowAndQuit) {
  bundle::Store store;
  store.bundles = {named("b1", "Morning"), named("b2", "R&D weekly"), named("b3", "Tab\there")};
  const std::vector<app::MenuEntry> menu = app::notification_menu(store);
  EXPECT_EQ(labels(menu),
            (std::vector<std::string>{"Morning", "R&&D weekly", "Tab here", "|", "Show tolvik", "Quit"}));
  EXPECT_EQ(menu[0].id, bundle_id(0));
  EXPECT_EQ(menu[2].id, bundle_id(2));
  EXPECT_EQ(menu[4].id, static_cast<int>(app::NotificationCommand::show));
  EXPECT_EQ(menu[5].id, static_cast<int>(app::NotificationCommand::quit));
}

TEST(NotificationMenu, ListsTheFirstTwentyBundlesTheJumpListIsOffered) {
  // A name a task cannot be titled with is left out, counted in UTF-16 units:
  // 512 emoji are 1024 of them, 1023 Hangul syllables (3069 bytes) just fit.
  std::string too_long, longest;
  for (int i = 0; i < 512; ++i) too_long += "\xF0\x9F\x98\x80";
  for (std::size_t i = 0; i < app::kLongestOfferedName; ++i) longest += "\xED\x95\x9C";
  bundle::Store store;
  store.bundles = {named("nameless", ""), named("too long", too_long), named("longest", longest)};
  for (int i = 1; i <= 25; ++i) store.bundles.push_back(named("b" + std::to_string(i), "Bundle " + std::to_string(i)));

  const std::vector<app::OfferedBundle> offered = app::offered_bundles(store);
  ASSERT_EQ(offered.size(), app::kMostOfferedBundles);
  EXPECT_EQ(offered[0], (app::OfferedBundle{"longest", longest}));
  EXPECT_EQ(offered[1], (app::OfferedBundle{"b1", "Bundle 1"}));
  EXPECT_EQ(offered.back(), (app::OfferedBundle{"b19", "Bundle 19"}));

  // The jump list is given exactly these; the menu lists them, in order.
  const std::vector<app::MenuEntry> menu = app::notification_menu(store);
  ASSERT_EQ(menu.size(), offered.size() + 3);
  for (std::size_t i = 0; i < offered.size(); ++i) EXPECT_EQ(menu[i].label, offered[i].name) << i;
  EXPECT_TRUE(menu[offered.size()].separator);
}

TEST(NotificationMenu, WithoutBundlesHasNoSeparator) {
  EXPECT_EQ(labels(app::notification_menu({})), (std::vector<std::string>{"Show tolvik", "Quit"}));
}

class NotificationTest : public testing_support::StoreFixture {
 protected:
  void SetUp() override { state.store.bundles = {named("b1", "Morning"), named("b2", "Review"), named("b3", "Trip")}; }
  void choose(int id) {
    platform.menu_choices = {id};
    app::show_notification_menu(state, 1900, 1060);
  }
};

TEST_F(NotificationTest, AChosenBundleOpensAsWithItsOpenButton) {
  choose(bundle_id(1));
  ASSERT_EQ(platform.notification_menus.size(), 1u);
  EXPECT_EQ(platform.notification_menus[0].x, 1900);
  EXPECT_EQ(platform.notification_menus[0].y, 1060);
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].bundle_id, "b2");
  ASSERT_TRUE(state.opening);
  EXPECT_EQ(state.opening->bundle_id, "b2");
}

TEST_F(NotificationTest, TheBundleIsFoundAgainAfterTheMenuChangedTheStore) {
  // The first bundle goes while the menu is open: the second row still opens "Review".
  platform.during_menu = [this] { state.store.bundles.erase(state.store.bundles.begin()); };
  choose(bundle_id(1));
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].bundle_id, "b2");

  // A bundle removed meanwhile opens nothing.
  platform.open_requests.clear();
  state.opening.reset();
  platform.during_menu = [this] { state.store.bundles.clear(); };
  choose(bundle_id(0));
  EXPECT_TRUE(platform.open_requests.empty());
}

TEST_F(NotificationTest, ShowQuitAndDismissal) {
  choose(static_cast<int>(app::NotificationCommand::show));
  EXPECT_EQ(platform.windows_shown, 1);
  EXPECT_EQ(platform.quits, 0);
  choose(static_cast<int>(app::NotificationCommand::quit));
  EXPECT_EQ(platform.quits, 1);
  choose(0);
  choose(bundle_id(3));  // past the listed bundles
  EXPECT_EQ(platform.windows_shown, 1);
  EXPECT_EQ(platform.quits, 1);
  EXPECT_TRUE(platform.open_requests.empty());
}

// --- the setting ---

TEST(KeepInNotificationArea, OnOnlyForAStoredNonZeroNumber) {
  EXPECT_FALSE(app::keep_in_notification_area(std::nullopt));
  EXPECT_FALSE(app::keep_in_notification_area(0u));
  EXPECT_TRUE(app::keep_in_notification_area(1u));
}

TEST_F(NotificationTest, TheSettingsMenuTogglesTheValueAndTheIcon) {
  const auto entry = [this] {
    const std::vector<app::MenuEntry>& entries = platform.menus.back().entries;
    // Right after "Automatic updates".
    for (std::size_t i = 1; i < entries.size(); ++i) {
      if (entries[i].id == static_cast<int>(app::SettingsCommand::keep_in_notification_area)) {
        EXPECT_EQ(entries[i - 1].label, "Automatic updates");
        return entries[i];
      }
    }
    ADD_FAILURE() << "no entry";
    return app::MenuEntry{};
  };
  for (const bool on : {true, false}) {
    platform.menu_choices = {static_cast<int>(app::SettingsCommand::keep_in_notification_area)};
    app::show_settings_menu(state, 10, 10);
    EXPECT_EQ(entry().label, "Keep running in the notification area");
    EXPECT_EQ(entry().checked, !on);
    EXPECT_EQ(state.keep_in_notification_area, on);
    EXPECT_EQ(platform.numbers.at("KeepInNotificationArea"), on ? 1u : 0u);
    EXPECT_EQ(platform.notification_icon, on);
  }
}

TEST_F(NotificationTest, ASettingThatCannotBeStoredChangesNothing) {
  platform.refused_settings = {"KeepInNotificationArea"};
  app::toggle_keep_in_notification_area(state);
  EXPECT_FALSE(state.keep_in_notification_area);
  EXPECT_FALSE(platform.notification_icon);
  ASSERT_EQ(toasts.size(), 1u);
  EXPECT_EQ(toasts[0], "Couldn't save the setting: Access is denied.");
}

TEST_F(NotificationTest, AHiddenWindowsToastIsTheIconsBalloon) {
  platform.hidden = true;
  app::show_toast(state, "3 opened");
  EXPECT_FALSE(state.toast);
  EXPECT_EQ(platform.balloons, std::vector<std::string>{"3 opened"});
  platform.hidden = false;
  app::show_toast(state, "2 opened");
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "2 opened");
  EXPECT_EQ(platform.balloons.size(), 1u);
}

// --- what a second start hands over ---

TEST(HandOverMarker, ABundleFileIsImportedOnlyWithAPath) {
  EXPECT_EQ(app::read_hand_over(app::kHandOverMarker, u"C:\\a.tolvik"),
            (app::HandOver{app::HandOver::Kind::import_file, "C:\\a.tolvik"}));
  EXPECT_EQ(app::read_hand_over(app::kHandOverMarker, std::u16string(u"C:\\\u00e4.tolvik\0\0", 14)),
            (app::HandOver{app::HandOver::Kind::import_file, "C:\\\xc3\xa4.tolvik"}));
  // Empty, only NULs, or cut by a NUL: nothing is imported, never "".
  EXPECT_EQ(app::read_hand_over(app::kHandOverMarker, u""), app::HandOver{});
  EXPECT_EQ(app::read_hand_over(app::kHandOverMarker, std::u16string(2, u'\0')), app::HandOver{});
  EXPECT_EQ(app::read_hand_over(app::kHandOverMarker, std::u16string(u"C:\\a\0b.tolvik", 13)), app::HandOver{});
}

TEST(HandOverMarker, ShowAndQuitCarryNoFileAndOtherMarkersMeanNothing) {
  EXPECT_EQ(app::read_hand_over(app::kShowMarker, u""), (app::HandOver{app::HandOver::Kind::show, ""}));
  EXPECT_EQ(app::read_hand_over(app::kShowMarker, u"C:\\a.tolvik"), (app::HandOver{app::HandOver::Kind::show, ""}));
  EXPECT_EQ(app::read_hand_over(app::kQuitMarker, u""), (app::HandOver{app::HandOver::Kind::quit, ""}));
  EXPECT_EQ(app::read_hand_over(0x7B, u"C:\\a.tolvik"), app::HandOver{});
  EXPECT_EQ(app::read_hand_over(0, u""), app::HandOver{});
}

// --- the plan ---

TEST(StartPlan, QuitIsAnExactSwitchAnywhere) {
  const app::StartPlan plan = app::plan_start({"tolvik.exe", "a.tolvik", "--quit", "--sign-in"});
  EXPECT_TRUE(plan.quit);
  EXPECT_TRUE(plan.sign_in);
  EXPECT_EQ(plan.bundle_files, std::vector<std::string>{"a.tolvik"});
  const app::StartPlan other = app::plan_start({"tolvik.exe", "--Quit", "--signin"});
  EXPECT_FALSE(other.quit);
  EXPECT_FALSE(other.sign_in);
  EXPECT_FALSE(app::plan_start({"tolvik.exe"}).quit);
  // The elevated helper's line is never read for them.
  EXPECT_FALSE(app::plan_start({"tolvik.exe", "--run-elevated", "f", "d", "--quit"}).quit);
}

}  // namespace
