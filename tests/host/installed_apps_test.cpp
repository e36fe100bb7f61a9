#include "app/installed_apps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/selection.h"
#include "store_fixture.h"

namespace {

using bundle::Item;
using bundle::Kind;

struct AddApp : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {{"b1", "Work", {}}};
    app::select_bundle(state, 0);
    // The Applications folder in the shell's order, with a nameless entry and
    // one that differs from another only in case.
    platform.apps_folder = {{"Zed", "Zed.App_pub!Main", 3},
                            {"", "Nameless_pub!App", -1},
                            {"calculator", "Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", 1},
                            {"Code", "C:\\Users\\Ana\\AppData\\Local\\Programs\\Code\\Code.exe", 2},
                            {"Zed again", "zed.app_pub!main", 4}};
  }
  const std::vector<Item>& items() const { return state.store.bundles[0].items; }
};

TEST_F(AddApp, TheListIsSortedByNameAndThePickedAppBecomesAnItemNamedLikeIt) {
  platform.menu_choices = {2};
  platform.app_picked = 0;
  app::add_app(state, 10, 20);
  ASSERT_EQ(platform.menus.size(), 1u);
  ASSERT_EQ(platform.menus[0].entries.size(), 2u);
  EXPECT_EQ(platform.menus[0].entries[0].label, "Browse for a program…");
  EXPECT_EQ(platform.menus[0].entries[1].label, "Choose an installed app…");
  ASSERT_EQ(platform.app_lists_shown.size(), 1u);
  std::vector<std::string> names;
  for (const app::InstalledApp& shown : platform.app_lists_shown[0]) names.push_back(shown.name);
  EXPECT_EQ(names, (std::vector<std::string>{"calculator", "Code", "Zed"}));
  EXPECT_EQ(platform.app_lists_shown[0][0].icon, 1);
  EXPECT_EQ(items(), (std::vector<Item>{{Kind::app, "shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App",
                                         "", "calculator"}}));
  expect_saved();

  // A desktop program the folder names by its path stays a plain app of that path.
  platform.menu_choices = {2};
  platform.app_picked = 1;
  app::add_app(state, 10, 20);
  ASSERT_EQ(items().size(), 2u);
  EXPECT_EQ(items()[1], (Item{Kind::app, "C:\\Users\\Ana\\AppData\\Local\\Programs\\Code\\Code.exe", "", "Code"}));
}

TEST_F(AddApp, BrowsingStillAsksForAProgramAndCancellingAddsNothing) {
  platform.menu_choices = {2};
  platform.app_picked = std::nullopt;
  app::add_app(state, 10, 20);
  platform.menu_choices = {0};
  app::add_app(state, 10, 20);
  EXPECT_TRUE(items().empty());
  EXPECT_FALSE(state.toast);
  EXPECT_TRUE(platform.dialogs.empty());

  platform.menu_choices = {1};
  platform.open_answer = {"C:\\Tools\\tool.exe"};
  app::add_app(state, 10, 20);
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].title, "App to add (a program or a shortcut)");
  EXPECT_EQ(platform.dialogs[0].start, app::StartFolder::common_programs);
  EXPECT_EQ(items(), (std::vector<Item>{{Kind::app, "C:\\Tools\\tool.exe", "", ""}}));
}

}  // namespace
