#include "app/opening/open.h"

#include "app/bundles/remove_delete.h"
#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include "app/input/keyboard.h"
#include "app/input/toast_action.h"
#include "app/state/app_state.h"
#include "app/view/selection.h"
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
      // Nothing opened and nothing else to say still reports the count.
      {{url_item("https://x.y")}, result_of({ItemState::not_reached}), "Opened 0"},
      // Brought to the front counts as opened; the rest in order of importance.
      {six,
       result_of({ItemState::stopped, ItemState::skipped, ItemState::timed_out, ItemState::declined,
                  ItemState::brought_to_front, ItemState::opened}),
       "Opened 2 \u00B7 1 not opened, consent declined \u00B7 1 timed out waiting \u00B7 1 stopped \u00B7 "
       "1 skipped, already running"},
      {six, result_of({ItemState::opened, ItemState::stopped, ItemState::stopped, ItemState::stopped,
                       ItemState::stopped, ItemState::stopped}),
       "Opened 1 \u00B7 5 stopped"},
      {{app_item("C:\\a.exe")}, result_of({ItemState::skipped}), "1 skipped, already running"},
  };
  for (const Case& c : cases) EXPECT_EQ(app::open_summary(c.items, c.result), c.expected);
}

TEST(OpenItems, StopStartsNothingMoreAndReportsProgressForEachItemThrough) {
  FakeOpener opener;
  opener.existing = {"a", "b", "c", "d"};
  opener.stop_after_starts = 2;
  const app::OpenResult result =
      app::open_items({file_item("a"), file_item("b"), file_item("c"), file_item("d")}, opener);
  EXPECT_EQ(opener.starts, 2u);
  EXPECT_EQ(result.positions(ItemState::opened), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(result.positions(ItemState::stopped), (std::vector<std::size_t>{2, 3}));
  EXPECT_EQ(opener.progress_reports, (std::vector<std::string>{"1/4", "2/4"}));
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
  ASSERT_TRUE(state.opening);
  EXPECT_EQ(state.opening->bundle_id, "b1");
  EXPECT_EQ(state.opening->total, 2u);
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

TEST_F(OpenBundleTest, AWorkerThatFailedOnTheWayEndsTheOpeningAndSaysWhy) {
  state.missing_targets = {"c:\\a.txt"};
  app::open_bundle(state, 0);
  app::finish_open(state, app::OpenOutcome{{}, "b1", {}, "Unspecified error"});
  EXPECT_FALSE(state.opening);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Couldn't open: Work (Unspecified error)");
  // What it did is unknown: the marks stay as they were, and there is nothing to retry.
  EXPECT_EQ(state.missing_targets, (std::unordered_set<std::string>{"c:\\a.txt"}));
  EXPECT_FALSE(state.retry);
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

namespace {

// An opening of "Work" that failed for one item, was not found for another and
// opened a third: the marks, the Retry toast and what Retry opens.
struct OpenMarksTest : OpenBundleTest {
  void SetUp() override {
    state.store.bundles = {
        bundle::Bundle{"b1", "Work", {app_item("C:\\a.exe"), file_item("C:\\b.txt"), file_item("C:\\c.txt")}},
        bundle::Bundle{"b2", "Other", {app_item("C:\\a.exe")}}};
    app::select_bundle(state, 0);
    app::open_bundle(state, 0);
    app::OpenResult result = result_of({ItemState::failed, ItemState::not_found, ItemState::opened});
    result.items[0].reason = "Access is denied.";
    app::finish_open(state, app::OpenOutcome{state.store.bundles[0].items, "b1", result});
  }
};

TEST_F(OpenMarksTest, FailuresAreMarkedPerBundleAndRetryOpensJustThemAsTheyAreNow) {
  EXPECT_EQ(state.open_failures.at({"b1", "c:\\a.exe"}).text, "Access is denied.");
  EXPECT_FALSE(state.open_failures.count({"b2", "c:\\a.exe"}));
  EXPECT_TRUE(state.missing_targets.count("c:\\b.txt"));
  EXPECT_EQ(state.toast->action, app::ToastAction::retry);
  // Moved and given an option meanwhile: Retry opens it as it is now, in the bundle's order.
  std::swap(state.store.bundles[0].items[0], state.store.bundles[0].items[2]);
  state.store.bundles[0].items[2].options.delay = 5;
  app::run_toast_action(state);
  ASSERT_EQ(platform.open_requests.size(), 2u);
  EXPECT_EQ(platform.open_requests[1].bundle_id, "b1");
  EXPECT_EQ(platform.open_requests[1].items,
            (std::vector<bundle::Item>{state.store.bundles[0].items[1], state.store.bundles[0].items[2]}));
  // The record of the opening takes them at their places in the bundle.
  EXPECT_EQ(platform.open_requests[1].positions, (std::vector<std::size_t>{1, 2}));
  EXPECT_TRUE(platform.open_requests[0].positions.empty());
  EXPECT_FALSE(state.toast);

  app::finish_open(state, app::OpenOutcome{platform.open_requests[1].items, "b1",
                                           result_of({ItemState::opened, ItemState::timed_out})});
  EXPECT_FALSE(state.missing_targets.count("c:\\b.txt"));
  ASSERT_EQ(state.open_failures.size(), 1u);
  EXPECT_EQ(state.open_failures.at({"b1", "c:\\a.exe"}).why, app::OpenFailure::Why::timed_out);

  // A full opening that goes well clears them; no Retry then.
  app::open_bundle(state, 0);
  app::finish_open(state, app::OpenOutcome{state.store.bundles[0].items, "b1",
                                           result_of({ItemState::opened, ItemState::opened, ItemState::opened})});
  EXPECT_TRUE(state.open_failures.empty());
  EXPECT_EQ(state.toast->action, app::ToastAction::none);
}

TEST_F(OpenMarksTest, UndoStillTakesBackTheLastRemovalAfterARetryToast) {
  app::remove_item(state, 2);
  EXPECT_EQ(state.toast->action, app::ToastAction::undo);
  app::open_bundle(state, 0);
  app::finish_open(state, app::OpenOutcome{state.store.bundles[0].items, "b1",
                                           result_of({ItemState::failed, ItemState::opened})});
  EXPECT_EQ(state.toast->action, app::ToastAction::retry);
  app::handle_key(state, app::Key::z, true);
  EXPECT_EQ(state.store.bundles[0].items.size(), 3u);
}

TEST_F(OpenBundleTest, TheOpenButtonStopsTheOpeningItStartedAndFollowsItsProgress) {
  app::open_or_stop(state, 0);
  ASSERT_EQ(platform.open_requests.size(), 1u);
  app::open_progress(state, 1, 2);
  app::open_progress(state, 0, 2);  // a late report changes nothing
  EXPECT_EQ(state.opening->done, 1u);
  app::open_or_stop(state, 1);  // another bundle neither opens nor stops this one
  EXPECT_EQ(platform.stops, 0);
  app::open_or_stop(state, 0);
  app::open_or_stop(state, 0);
  EXPECT_EQ(platform.stops, 1);
  EXPECT_TRUE(state.opening->stopping);
  EXPECT_EQ(platform.open_requests.size(), 1u);
  app::finish_open(state, app::OpenOutcome{state.store.bundles[0].items, "b1",
                                           result_of({ItemState::opened, ItemState::stopped})});
  EXPECT_FALSE(state.opening);
  EXPECT_EQ(state.toast->text, "Opened 1 \u00B7 1 stopped");
}

TEST_F(OpenBundleTest, AnAdministratorItemOpenedAloneGoesThroughTheWorker) {
  state.store.bundles[0].items.push_back(app_item("C:\\admin.exe"));
  state.store.bundles[0].items.back().options.admin = true;
  platform.existing = {"C:\\admin.exe"};
  app::select_bundle(state, 0);
  app::open_single_item(state, 2);
  EXPECT_TRUE(platform.started.empty());
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].items, std::vector<bundle::Item>{state.store.bundles[0].items[2]});
}

}  // namespace
