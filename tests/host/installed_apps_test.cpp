#include "app/bundles/installed_apps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/bundles/select.h"
#include "app/view/selection.h"
#include "store_fixture.h"

namespace {

using bundle::Item;
using bundle::Kind;

struct AddApp : testing_support::StoreFixture {};

TEST_F(AddApp, TheInstalledAppsAreListedByNameAndThePickedOneBecomesAnItemNamedLikeIt) {
  state.store.bundles = {{"b1", "Work", {}}};
  app::select_bundle(state, 0);
  // In the shell's order, with a nameless entry and a repeat in another case.
  platform.apps_folder = {{"Zed", "Zed.App_pub!Main", 3},
                          {"", "Nameless_pub!App", -1},
                          {"calculator", "Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", 1},
                          {"Code", "C:\\Users\\Ana\\AppData\\Local\\Programs\\Code\\Code.exe", 2},
                          {"Zed again", "zed.app_pub!main", 4}};
  platform.menu_choices = {2, 2, 2};  // "Choose an installed app…" each time
  platform.app_picked = 0;
  app::add_app(state, 10, 20);
  ASSERT_EQ(platform.menus.size(), 1u);
  EXPECT_EQ(platform.menus[0].entries.at(0).label, "Browse for a program…");
  EXPECT_EQ(platform.menus[0].entries.at(1).label, "Choose an installed app…");
  ASSERT_EQ(platform.app_lists_shown.size(), 1u);
  std::vector<std::string> names;
  for (const app::InstalledApp& shown : platform.app_lists_shown[0]) names.push_back(shown.name);
  EXPECT_EQ(names, (std::vector<std::string>{"calculator", "Code", "Zed"}));

  // A desktop program the folder names by its path stays a plain app of that path.
  platform.app_picked = 1;
  app::add_app(state, 10, 20);
  platform.app_picked = std::nullopt;  // cancelled
  app::add_app(state, 10, 20);
  EXPECT_EQ(state.store.bundles[0].items,
            (std::vector<Item>{{Kind::app, "shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", "", "calculator"},
                               {Kind::app, "C:\\Users\\Ana\\AppData\\Local\\Programs\\Code\\Code.exe", "", "Code"}}));
  expect_saved();
}

}  // namespace
