#include "app/reach/startup.h"
#include "app/state/store_start.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/state/app_state.h"
#include "fake_platform.h"

namespace {

using testing_support::app_item;
using testing_support::FakeOpener;
using testing_support::FakePlatform;
using testing_support::file_item;

TEST(StartPlan, RecognisedArguments) {
  const app::StartPlan plan = app::plan_start(
      {"C:\\tolvik.exe", "a.tolvik", "--OPEN", "b1", "--open", "b2", "x.txt", "D:\\B.TOLVIK", "--x.tolvik"});
  EXPECT_FALSE(plan.unregister);
  EXPECT_EQ(plan.open_id, "b1");  // the switch in capitals counts, only the first occurrence
  EXPECT_EQ(plan.bundle_files, (std::vector<std::string>{"a.tolvik", "D:\\B.TOLVIK"}));
}

TEST(StartPlan, OpenAsLastArgumentSearchesForAnEmptyId) {
  EXPECT_EQ(app::plan_start({"tolvik.exe", "--open"}).open_id, "");
}

TEST(StartPlan, UnregisterIsCaseSensitive) {
  EXPECT_TRUE(app::plan_start({"tolvik.exe", "x", "--unregister"}).unregister);
  EXPECT_FALSE(app::plan_start({"tolvik.exe", "--Unregister"}).unregister);
}

TEST(StartPlan, TheElevatedHelperTakesItsFileDigestAndStopEventAndNothingElse) {
  const app::StartPlan plan = app::plan_start(
      {"tolvik.exe", "--run-elevated", "C:\\Temp\\tolvik\\elevated-1.json", "ab12", "Local\\stop", "--open", "b1"});
  ASSERT_TRUE(plan.run_elevated);
  EXPECT_EQ(*plan.run_elevated, (app::ElevatedRun{"C:\\Temp\\tolvik\\elevated-1.json", "ab12", "Local\\stop"}));
  EXPECT_FALSE(plan.open_id);
  // Without its digest the helper gets nothing to read, and refuses.
  EXPECT_EQ(app::plan_start({"tolvik.exe", "--run-elevated", "items.json"}).run_elevated, app::ElevatedRun{});
  // Only right after the program: elsewhere it is no request for the helper.
  EXPECT_FALSE(app::plan_start({"tolvik.exe", "--open", "--run-elevated", "f", "d"}).run_elevated);
}

TEST(StartPlan, NothingRecognised) {
  const app::StartPlan plan = app::plan_start({"C:\\Program Files\\tolvik\\tolvik.exe", "notes.txt", "folder.tolvik\\"});
  EXPECT_FALSE(plan.open_id);
  // A trailing separator is ignored when the extension is read, as for any path.
  EXPECT_EQ(plan.bundle_files, (std::vector<std::string>{"folder.tolvik\\"}));
}

TEST(CentredWindow, LimitsWidthByTheWorkAreaAndHeightByThreeQuarters) {
  // 1366 × 728 at 96 dpi: 0.75 × 728 = 546 < 720.
  EXPECT_EQ(app::centred_window({0, 0, 1366, 728}, 96), (app::WindowBox{163, 91, 1040, 546}));
  // At 144 dpi the 1080 px height is held to three quarters of 1400.
  EXPECT_EQ(app::centred_window({0, 0, 2560, 1400}, 144), (app::WindowBox{500, 175, 1560, 1050}));
  // Narrow work area with an offset origin: width limited by the whole width.
  EXPECT_EQ(app::centred_window({100, 50, 900, 1050}, 96), (app::WindowBox{100, 190, 800, 720}));
  // A DPI below 96 counts as 96.
  EXPECT_EQ(app::centred_window({0, 0, 1920, 1040}, 72), app::centred_window({0, 0, 1920, 1040}, 96));
}

std::vector<std::uint8_t> placement_bytes(const std::vector<std::int32_t>& fields) {
  std::vector<std::uint8_t> bytes;
  for (std::int32_t f : fields) {
    const auto u = static_cast<std::uint32_t>(f);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(u >> shift));
  }
  return bytes;
}

TEST(StoredPlacement, ReadsAll44Bytes) {
  const auto bytes = placement_bytes({44, 2, 3, -1, -1, -8, -8, 10, 20, 1050, 740});
  const auto p = app::parse_placement(bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->length, 44u);
  EXPECT_EQ(p->show_command, 3u);
  EXPECT_EQ(p->max_x, -8);
  EXPECT_EQ(p->normal, (app::Rect{10, 20, 1050, 740}));
  EXPECT_EQ(app::show_command_after_restore(*p), 3);
}

TEST(StoredPlacement, OtherSizesAreIgnored) {
  auto bytes = placement_bytes({44, 0, 2, 0, 0, 0, 0, 1, 2, 3, 4});
  EXPECT_TRUE(app::parse_placement(bytes));
  EXPECT_FALSE(app::parse_placement(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 40)));
  bytes.resize(48);
  EXPECT_FALSE(app::parse_placement(bytes));
}

TEST(StoredPlacement, MinimisedWindowsShowNormally) {
  const auto p = app::parse_placement(placement_bytes({44, 0, 2, 0, 0, 0, 0, 1, 2, 3, 4}));
  ASSERT_TRUE(p);
  EXPECT_EQ(app::show_command_after_restore(*p), 1);
}

TEST(UpdateRule, RunsAtMostOnceADayUnlessTurnedOff) {
  const std::uint64_t now = 1'800'000'000;
  EXPECT_TRUE(app::update_check_due(std::nullopt, std::nullopt, now));
  EXPECT_FALSE(app::update_check_due(0u, std::nullopt, now));
  EXPECT_TRUE(app::update_check_due(5u, std::nullopt, now));
  EXPECT_FALSE(app::update_check_due(std::nullopt, "1799913601", now));  // 86399 s ago
  EXPECT_TRUE(app::update_check_due(std::nullopt, "1799913600", now));   // 86400 s ago
  EXPECT_TRUE(app::update_check_due(std::nullopt, "+1799913600", now));
  // A time up to a day ahead holds the check back; further ahead, it was
  // written while the clock was wrong and the check is due.
  EXPECT_FALSE(app::update_check_due(std::nullopt, "1800050000", now));
  EXPECT_FALSE(app::update_check_due(std::nullopt, "1800086400", now));
  EXPECT_TRUE(app::update_check_due(std::nullopt, "1800086401", now));
  EXPECT_TRUE(app::update_check_due(std::nullopt, "1900000000", now));
  // Unparsable text counts as 0.
  EXPECT_TRUE(app::update_check_due(std::nullopt, "yesterday", now));
  EXPECT_TRUE(app::update_check_due(std::nullopt, "++5", now));
  EXPECT_TRUE(app::update_check_due(std::nullopt, "99999999999999999999999", now));
}

TEST(UpdateRule, ParsesUnsignedDecimalSeconds) {
  EXPECT_EQ(app::parse_unix_seconds("0"), 0u);
  EXPECT_EQ(app::parse_unix_seconds("+42"), 42u);
  EXPECT_FALSE(app::parse_unix_seconds("-1"));
  EXPECT_FALSE(app::parse_unix_seconds(" 1"));
  EXPECT_FALSE(app::parse_unix_seconds("1 "));
  EXPECT_FALSE(app::parse_unix_seconds(""));
  EXPECT_FALSE(app::parse_unix_seconds("+"));
}

TEST(BrokenStore, KeptBesideTheStore) {
  EXPECT_EQ(app::broken_store_path("/home/u/tolvik/bundles.json", 1700000000),
            "/home/u/tolvik/bundles.broken-1700000000.json");
  EXPECT_EQ(app::broken_store_notice("/x/bundles.broken-5.json"),
            "Couldn't read the saved bundles; the file was kept as /x/bundles.broken-5.json");
}

bundle::Store sample_store() {
  bundle::Store store;
  store.bundles = {bundle::Bundle{"b1", "Month-end ΣΑΣ", {file_item("C:\\missing.txt")}},
                   bundle::Bundle{"Work", "Other", {}},
                   bundle::Bundle{"b3", "work", {}},
                   bundle::Bundle{"b4", "İstanbul", {file_item("C:\\here.txt")}}};
  return store;
}

TEST(WindowlessOpen, Messages) {
  FakeOpener opener;
  opener.existing = {"C:\\here.txt", "C:\\fails.exe"};
  opener.failing = {"C:\\fails.exe"};
  // None of these bundles came from a file, so nothing is asked.
  auto open = [&opener](const base::Result<bundle::Store>& loaded, std::string_view id) {
    return app::windowless_open(loaded, id, opener, [](const std::string& text) {
      ADD_FAILURE() << "asked: " << text;
      return false;
    }, "unused");
  };
  const base::Result<bundle::Store> store(sample_store());

  EXPECT_EQ(open(store, "b4"), std::nullopt);
  EXPECT_EQ(open(store, "b1"), "Month-end ΣΑΣ\n\n1 not found (missing.txt)");
  // The system's reason for each failure follows the summary.
  bundle::Store failing = sample_store();
  failing.bundles[0].items.push_back(app_item("C:\\fails.exe"));
  EXPECT_EQ(open(base::Result<bundle::Store>(failing), "b1"),
            "Month-end ΣΑΣ\n\n1 not found (missing.txt) \u00B7 1 couldn't be opened (fails)\n\n"
            "fails: The system cannot find the file specified.");
  EXPECT_EQ(open(store, "b3"), "work\n\nThis bundle has no items");
  EXPECT_EQ(open(store, ""),
            "Couldn't find the bundle “”. It may have been deleted, or the shortcut was made on another PC.");
  EXPECT_EQ(open(base::fail("parse error at line 2, column 3"), "b1"),
            "Couldn't read the saved bundles.\n\nparse error at line 2, column 3");
  // Two bundles of one name: neither opens, and the message gives both ids.
  bundle::Store twice = sample_store();
  twice.bundles.push_back(bundle::Bundle{"b5", "WORK", {file_item("C:\\here.txt")}});
  const std::size_t starts = opener.starts;
  EXPECT_EQ(open(base::Result<bundle::Store>(twice), "work"),
            "More than one bundle is named “work”; give its id instead: b3, b5");
  EXPECT_EQ(opener.starts, starts);
  EXPECT_EQ(open(base::Result<bundle::Store>(twice), "Work"), "Other\n\nThis bundle has no items") << "an id still wins";
}

TEST(RestoreSelection, StoredIdOrTheFirstBundle) {
  FakePlatform platform;
  app::AppState state(platform);
  state.store = sample_store();
  app::restore_selection(state, "b3");
  EXPECT_EQ(state.selected_bundle, 2u);
  EXPECT_EQ(platform.settings["Selected"], "b3");

  app::AppState other(platform);
  other.store = sample_store();
  app::restore_selection(other, "gone");
  EXPECT_EQ(other.selected_bundle, 0u);
  // Selecting starts the target check with the non-url targets.
  ASSERT_FALSE(platform.target_checks.empty());
  EXPECT_EQ(platform.target_checks.back(), (std::vector<std::string>{"C:\\missing.txt"}));

  app::AppState empty(platform);
  app::restore_selection(empty, std::nullopt);
  EXPECT_FALSE(empty.selected_bundle);
  EXPECT_EQ(platform.settings["Selected"], "");
}

}  // namespace
