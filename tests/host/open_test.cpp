#include "app/act/open.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/selection.h"
#include "fake_platform.h"

namespace {

using testing_support::app_item;
using testing_support::FakeOpener;
using testing_support::FakePlatform;
using testing_support::file_item;
using testing_support::result_of;
using app::ItemState;
using testing_support::url_item;

TEST(OpenItems, SpacesStartsButNotBeforeTheFirstOrForMissingItems) {
  FakeOpener opener;
  opener.existing = {"C:\\a.exe", "C:\\c.txt"};
  const std::vector<bundle::Item> items = {file_item("C:\\missing.txt"), app_item("C:\\a.exe"),
                                           file_item("C:\\gone"), url_item("https://a.bc"), file_item("C:\\c.txt")};
  const app::OpenResult result = app::open_items(items, opener);

  EXPECT_EQ(opener.events, (std::vector<std::string>{"exists:C:\\missing.txt", "exists:C:\\a.exe", "start:C:\\a.exe",
                                                     "exists:C:\\gone", "wait", "start:https://a.bc",
                                                     "exists:C:\\c.txt", "wait", "start:C:\\c.txt"}));
  EXPECT_EQ(result.count(ItemState::opened), 3u);
  EXPECT_EQ(result.positions(ItemState::not_found), (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(result.count(ItemState::failed), 0u);
}

TEST(OpenItems, WebAddressesAreNeverCheckedAndCountAsFailedWhenTheirStartFails) {
  FakeOpener opener;
  opener.failing = {"https://broken"};
  const app::OpenResult result = app::open_items({url_item("https://broken")}, opener);
  EXPECT_EQ(opener.events, (std::vector<std::string>{"start:https://broken"}));
  EXPECT_EQ(result.positions(ItemState::failed), (std::vector<std::size_t>{0}));
  EXPECT_EQ(result.items[0].reason, "The system cannot find the file specified.");
}

TEST(OpenItems, AFailedStartStillWaitsBeforeTheNextStart) {
  FakeOpener opener;
  opener.existing = {"a", "b"};
  opener.failing = {"a"};
  const app::OpenResult result = app::open_items({file_item("a"), file_item("b")}, opener);
  EXPECT_EQ(opener.events, (std::vector<std::string>{"exists:a", "start:a", "exists:b", "wait", "start:b"}));
  EXPECT_EQ(result.positions(ItemState::failed), (std::vector<std::size_t>{0}));
  EXPECT_EQ(result.count(ItemState::opened), 1u);
}

TEST(OpenSummary, Texts) {
  const std::vector<bundle::Item> six = {file_item("C:\\one.txt"), file_item("C:\\two.txt"), file_item("C:\\3.txt"),
                                         file_item("C:\\4.txt"),   file_item("C:\\5.txt"),   app_item("C:\\ok.exe")};
  struct Case {
    std::vector<bundle::Item> items;
    app::OpenResult result;
    std::string expected;
  };
  const Case cases[] = {
      {{}, {}, "This bundle has no items"},
      {{file_item("D:\\Work\\")}, result_of({ItemState::not_found}), "1 not found (Work)"},
      {six,
       result_of({ItemState::not_found, ItemState::not_found, ItemState::not_found, ItemState::not_found,
                  ItemState::not_found, ItemState::opened}),
       "Opened 1 \u00B7 5 not found (one.txt, two.txt and 3 more)"},
      {{app_item("C:\\a.exe"), app_item("C:\\b.exe")}, result_of({ItemState::failed, ItemState::failed}),
       "2 couldn't be opened (a, b)"},
      {{url_item("https://x.y")}, result_of({ItemState::opened}), "Opened 1"},
      {{url_item("https://x.y"), file_item("C:\\f")}, result_of({ItemState::failed, ItemState::not_found}),
       "1 not found (f) \u00B7 1 couldn't be opened (x.y)"},
      // Nothing opened, nothing missing, nothing failed still reports the count.
      {{url_item("https://x.y")}, result_of({ItemState::skipped}), "Opened 0"},
  };
  for (const Case& c : cases) EXPECT_EQ(app::open_summary(c.items, c.result), c.expected);
}

struct OpenBundleTest : ::testing::Test {
  FakePlatform platform;
  app::AppState state{platform};
  void SetUp() override {
    state.store.bundles = {bundle::Bundle{"b1", "Work", {file_item("C:\\a.txt"), url_item("https://a.bc")}},
                           bundle::Bundle{"b2", "Empty", {}}};
  }
};

TEST_F(OpenBundleTest, StartsTheWorkerWithACopyAndMarksTheBundleAsOpening) {
  app::open_bundle(state, 0);
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].bundle_id, "b1");
  EXPECT_EQ(platform.open_requests[0].items, state.store.bundles[0].items);
  EXPECT_EQ(state.opening, "b1");
}

TEST_F(OpenBundleTest, ASecondRequestWhileOpeningIsIgnored) {
  app::open_bundle(state, 0);
  app::open_bundle(state, 0);
  EXPECT_EQ(platform.open_requests.size(), 1u);
  EXPECT_FALSE(state.toast);
}

TEST_F(OpenBundleTest, AnEmptyBundleOnlyRaisesAToast) {
  app::open_bundle(state, 1);
  EXPECT_TRUE(platform.open_requests.empty());
  EXPECT_FALSE(state.opening);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "This bundle is empty. Add files, folders or web addresses first.");
  EXPECT_TRUE(platform.timer_set(app::TimerId::toast, 4000));
}

TEST_F(OpenBundleTest, AWorkerThatCannotStartDoesNotLeaveTheBundleOpening) {
  platform.fail_open_worker = true;
  app::open_bundle(state, 0);
  EXPECT_FALSE(state.opening);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Couldn't open: Work (no thread)");
}

TEST_F(OpenBundleTest, OutOfRangeDoesNothing) {
  app::open_bundle(state, 7);
  EXPECT_TRUE(platform.open_requests.empty());
  EXPECT_FALSE(state.toast);
}

TEST_F(OpenBundleTest, FinishingUpdatesMissingMarksAndShowsTheSummary) {
  state.missing_targets = {"c:\\was-missing"};
  app::open_bundle(state, 0);
  const std::vector<bundle::Item> items = {file_item("C:\\Gone\\\\"), file_item("C:\\Was-Missing"),
                                           url_item("https://a.bc")};
  app::finish_open(state, app::OpenOutcome{items, "b1", result_of({ItemState::not_found, ItemState::opened, ItemState::opened})});
  EXPECT_FALSE(state.opening);
  EXPECT_EQ(state.missing_targets, (std::unordered_set<std::string>{"c:\\gone"}));
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Opened 2 \u00B7 1 not found (Gone)");
}

TEST_F(OpenBundleTest, SingleItemMissingIsMarkedAndNamedByItsRawTarget) {
  app::select_bundle(state, 0);
  app::open_single_item(state, 0);
  EXPECT_TRUE(platform.started.empty());
  EXPECT_TRUE(state.missing_targets.count("c:\\a.txt"));
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Not found: C:\\a.txt");
}

TEST_F(OpenBundleTest, SingleItemStartFailureShowsTheSystemText) {
  app::select_bundle(state, 0);
  platform.failing_starts = {"https://a.bc"};
  app::open_single_item(state, 1);
  ASSERT_EQ(platform.started.size(), 1u);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Couldn't open: a.bc (Access is denied.)");
  EXPECT_FALSE(state.opening);
}

}  // namespace

namespace {

TEST_F(OpenBundleTest, FinishingDropsTheIconsOfTheOpenedItemsButNotOfWebAddresses) {
  const std::vector<bundle::Item> items = {file_item("C:\\A\\"), url_item("https://a.bc"), file_item("D:\\b.txt")};
  app::finish_open(state, app::OpenOutcome{items, "b1", result_of({ItemState::opened, ItemState::not_found, ItemState::opened})});
  EXPECT_EQ(platform.forgotten_icons, (std::vector<std::string>{"c:\\a", "d:\\b.txt"}));
}

}  // namespace
