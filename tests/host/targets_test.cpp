#include "app/view/targets.h"

#include <gtest/gtest.h>

#include "app/state/app_state.h"
#include "fake_platform.h"

namespace {

TEST(TargetCheck, ChecksEachTargetInOrder) {
  std::vector<std::string> asked;
  const app::TargetCheck result = app::check_target_list({"C:\\a", "C:\\b\\", "C:\\a"}, [&](const std::string& t) {
    asked.push_back(t);
    return t == "C:\\a";
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"C:\\a", "C:\\b\\", "C:\\a"}));
  EXPECT_EQ(result, (app::TargetCheck{{"C:\\a", true}, {"C:\\b\\", false}, {"C:\\a", true}}));
}

TEST(TargetCheck, UpdatesMissingMarksAndDropsIconsOnlyWhereTheyChanged) {
  testing_support::FakePlatform platform;
  app::AppState state(platform);
  state.missing_targets = {"c:\\back", "c:\\still gone"};
  app::apply_target_check(state, {{"C:\\Back\\", true}, {"C:\\Still Gone", false}, {"C:\\NEW", false}});
  EXPECT_EQ(state.missing_targets, (std::unordered_set<std::string>{"c:\\still gone", "c:\\new"}));
  EXPECT_EQ(platform.forgotten_icons, (std::vector<std::string>{"c:\\back", "c:\\new"}));
  EXPECT_EQ(platform.invalidations, 1);

  app::apply_target_check(state, {{"C:\\Still Gone", false}});
  EXPECT_EQ(platform.invalidations, 1);  // nothing changed, nothing repainted
}

}  // namespace
