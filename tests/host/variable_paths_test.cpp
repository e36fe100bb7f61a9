#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/bundles/add_items.h"
#include "app/bundles/select.h"
#include "app/opening/open.h"
#include "app/view/selection.h"
#include "app/view/targets.h"
#include "base/file.h"
#include "store_fixture.h"

namespace {

using testing_support::app_item;
using testing_support::file_item;
using Strings = std::vector<std::string>;

struct VariablePaths : testing_support::StoreFixture {};

TEST_F(VariablePaths, TheCheckLooksAtTheExpandedPathAndReportsTheTargetAsWritten) {
  std::ofstream(temp.file("plan.txt")) << "x";
  ::setenv("TOLVIK_TEST_WORK", temp.path().c_str(), 1);
  const Strings targets = {"%TOLVIK_TEST_WORK%/plan.txt", "%TOLVIK_TEST_UNSET%/plan.txt", "%TOLVIK_TEST_WORK%/gone.txt"};
  const app::TargetCheck result = app::check_target_list(targets, base::path_exists);
  ::unsetenv("TOLVIK_TEST_WORK");
  EXPECT_EQ(result, (app::TargetCheck{{targets[0], true}, {targets[1], false}, {targets[2], false}}));

  app::apply_target_check(state, result);
  EXPECT_EQ(state.missing_targets,
            (std::unordered_set<std::string>{"%tolvik_test_unset%/plan.txt", "%tolvik_test_work%/gone.txt"}));
}

TEST_F(VariablePaths, APackagedAppIsStartedWithoutAskingWhetherItExists) {
  testing_support::FakeOpener opener;
  const bundle::Item calculator = app_item("shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App");
  const app::OpenResult result = app::open_items({calculator, file_item("%TOLVIK_TEST_UNSET%\\a.txt")}, opener);
  EXPECT_EQ(opener.events, (Strings{"start:" + calculator.target, "exists:%TOLVIK_TEST_UNSET%\\a.txt"}));
  EXPECT_EQ(result.items[0].state, app::ItemState::opened);
  EXPECT_EQ(result.items[1].state, app::ItemState::not_found);

  // "Open just this" as well: the platform knows no such file, yet it starts.
  state.store.bundles = {{"b1", "Work", {calculator}}};
  app::select_bundle(state, 0);
  app::open_single_item(state, 0);
  ASSERT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(platform.started[0].target, calculator.target);
  EXPECT_TRUE(state.missing_targets.empty());
  // Nor is it among the targets the view has checked.
  state.store.bundles[0].items.push_back(testing_support::url_item("https://a.example/%20x"));
  state.store.bundles[0].items.push_back(file_item("%TOLVIK_TEST_WORK%\\a.txt"));
  app::check_targets(state);
  EXPECT_EQ(platform.target_checks.back(), Strings{"%TOLVIK_TEST_WORK%\\a.txt"});
}

TEST_F(VariablePaths, TheDuplicateCheckComparesWhatTheVariablesName) {
  ::setenv("TOLVIK_TEST_WORK", "C:\\Users\\Ana", 1);
  state.store.bundles = {{"b1", "Work", {file_item("C:\\users\\ana\\plan.xlsx")}}};
  app::add_items(state, 0, {file_item("%TOLVIK_TEST_WORK%\\Plan.xlsx"), file_item("%TOLVIK_TEST_UNSET%\\plan.xlsx")});
  ::unsetenv("TOLVIK_TEST_WORK");
  // The one that names the same file is left out; the other is kept as written.
  EXPECT_EQ(targets(0), (Strings{"C:\\users\\ana\\plan.xlsx", "%TOLVIK_TEST_UNSET%\\plan.xlsx"}));
}

}  // namespace
