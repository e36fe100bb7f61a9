#include "app/opening/opening_record.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <map>

#include "app/reach/startup.h"
#include "fake_platform.h"
#include "temp_dir.h"

namespace {

using app::CloseState;
using app::ItemState;
using testing_support::app_item;
using testing_support::url_item;

constexpr std::uint64_t kNow = 1'800'000'000;
constexpr std::uint64_t kDay = 24 * 60 * 60;

bundle::Item folder_item(std::string target) { return bundle::Item{bundle::Kind::folder, std::move(target), {}, {}}; }

// Five items: a started app, a folder, a web address, an app that already
// ran, and a started app the user keeps open.
struct Opening {
  std::vector<bundle::Item> items;
  app::OpenResult result;

  Opening() {
    ::setenv("TOLVIK_RECORD_TEST", "/home/ann", 1);
    bundle::Item kept = app_item("C:\\kept.exe");
    kept.options.keep_open = true;
    items = {app_item("C:\\a.exe"), folder_item("%TOLVIK_RECORD_TEST%\\Docs"), url_item("https://a.example/"),
             app_item("C:\\running.exe"), kept};
    result.items = {{ItemState::opened, {}},
                    {ItemState::opened, {}},
                    {ItemState::opened, {}},
                    {ItemState::brought_to_front, {}},
                    {ItemState::opened, {}}};
    result.processes = {{0, 11, 5000, "C:\\a.exe", false}, {4, 44, 7000, "C:\\kept.exe", false}};
  }
};

TEST(OpeningRecord, KeepsWhatTheOpeningStartedThroughTheFileAndDropsOldRecords) {
  testing_support::TempDir dir;
  const std::string path = dir.file("local/tolvik/opened.json");
  const Opening opening;
  ASSERT_TRUE(app::save_opening(path, "old", opening.items, opening.result, kNow - 8 * kDay));
  ASSERT_TRUE(app::save_opening(path, "b1", opening.items, opening.result, kNow));

  const auto read = app::read_records(path);
  ASSERT_TRUE(read) << read.error().text;
  ASSERT_EQ(read->size(), 1u);  // the week-old record went when the file was written
  const app::OpeningRecord& record = read->at("b1");
  EXPECT_EQ(record.time, kNow);
  ASSERT_EQ(record.items.size(), 5u);
  EXPECT_EQ(record.items[3], (app::RecordedItem{3, "running", ItemState::brought_to_front, false}));
  EXPECT_TRUE(record.items[4].keep_open);
  EXPECT_EQ(record.processes, opening.result.processes);
  EXPECT_EQ(record.folders, (std::vector<app::RecordedFolder>{{1, "/home/ann\\Docs"}}));
}

TEST(OpeningRecord, ARetryReplacesOnlyTheItemsItOpenedAgain) {
  const Opening opening;
  app::OpeningRecords records;
  app::merge_opening(records, "b1", app::make_record(opening.items, opening.result, kNow), false);
  // Item 0 again, as the only item of a retry: a new process.
  app::OpenResult again;
  again.items = {{ItemState::opened, {}}};
  again.processes = {{0, 99, 9000, "C:\\a.exe", false}};
  app::merge_opening(records, "b1", app::make_record({opening.items[0]}, again, kNow + 5, {0}), true);

  const app::OpeningRecord& merged = records.at("b1");
  EXPECT_EQ(merged.items.size(), 5u);
  ASSERT_EQ(merged.processes.size(), 2u);
  EXPECT_EQ(merged.processes[0].id, 99u);
  EXPECT_EQ(merged.processes[1].id, 44u);
  EXPECT_EQ(merged.time, kNow + 5);
  // A new whole opening replaces everything.
  app::merge_opening(records, "b1", app::make_record({opening.items[2]}, again, kNow + 9), false);
  EXPECT_EQ(records.at("b1").items.size(), 1u);
}

TEST(OpeningRecord, MembersOfTheWrongKindAreSkipped) {
  const auto read = app::parse_records(R"({
    "b1": {"time": 5, "items": [{"position": 0, "state": "opened", "label": "A"}, {"position": "x", "state": "opened"},
                                {"position": 1, "state": "exploded"}],
           "processes": [{"position": 0, "pid": 3, "created": 9, "image": "C:\\a.exe"}, {"position": 0, "pid": -1}],
           "folders": "no"},
    "b2": 7})");
  ASSERT_TRUE(read);
  ASSERT_EQ(read->size(), 1u);
  EXPECT_EQ(read->at("b1").items.size(), 1u);
  EXPECT_EQ(read->at("b1").processes.size(), 1u);
  EXPECT_TRUE(read->at("b1").folders.empty());
  EXPECT_FALSE(app::parse_records("[1, 2]"));
}

// The system as Close finds it: which processes run under which ids now.
struct FakeCloser final : app::Closer {
  std::map<std::uint32_t, app::LiveProcess> live;
  std::map<std::string, std::size_t> folder_windows;
  bool folder_list = true;  // false: no list of File Explorer windows, as on Wine
  std::vector<std::string> calls;

  std::optional<app::LiveProcess> running(std::uint32_t id) override {
    const auto found = live.find(id);
    return found == live.end() ? std::nullopt : std::optional(found->second);
  }
  std::size_t close_windows(std::uint32_t id) override {
    calls.push_back("close " + std::to_string(id));
    return 1;
  }
  std::optional<std::size_t> close_folder_windows(const std::string& path) override {
    calls.push_back("folder " + path);
    if (!folder_list) return std::nullopt;
    return folder_windows[path];
  }
};

TEST(CloseOpening, OnlyTheSameProcessIsAskedAndTheRecordGoes) {
  testing_support::TempDir dir;
  const std::string path = dir.file("opened.json");
  Opening opening;
  bundle::Item admin = app_item("C:\\admin.exe");
  admin.options.admin = true;
  opening.items.push_back(admin);
  opening.result.items.push_back({ItemState::opened, {}});
  opening.result.processes.push_back({5, 55, 8000, "C:\\admin.exe", true});
  ASSERT_TRUE(app::save_opening(path, "b1", opening.items, opening.result, kNow));

  FakeCloser closer;
  closer.live[11] = {5000, "c:\\A.EXE"};     // the one started, its drive letter cased otherwise
  closer.live[44] = {7000, "C:\\kept.exe"};  // kept open
  closer.live[55] = {8000, "C:\\admin.exe"};
  closer.folder_windows["/home/ann\\Docs"] = 1;
  const app::CloseReport report = app::close_recorded(path, "b1", closer, kNow + 60);
  EXPECT_EQ(closer.calls, (std::vector<std::string>{"close 11", "folder /home/ann\\Docs"}));
  EXPECT_EQ(report.kind, app::CloseReport::Kind::closed);
  EXPECT_TRUE(report.left_something);
  EXPECT_EQ(report.text,
            "Closed 2 \u00B7 1 run as administrator, left open (admin) \u00B7 2 not started by tolvik "
            "(a.example, running)");
  EXPECT_TRUE(app::read_records(path)->empty());

  // Once closed, a second Close finds nothing recorded.
  EXPECT_EQ(app::close_recorded(path, "b1", closer, kNow + 61).kind, app::CloseReport::Kind::nothing_recorded);
}

TEST(CloseOpening, AReusedProcessIdIsNeverTouched) {
  const app::StartedProcess recorded{0, 11, 5000, "C:\\a.exe", false};
  EXPECT_TRUE(app::same_process(recorded, {5000, "C:\\a.exe"}));
  EXPECT_FALSE(app::same_process(recorded, {5001, "C:\\a.exe"}));
  EXPECT_FALSE(app::same_process(recorded, {5000, "C:\\b.exe"}));
  EXPECT_FALSE(app::same_process({0, 11, 5000, "", false}, {5000, ""}));

  Opening opening;
  FakeCloser closer;
  closer.live[11] = {6000, "C:\\a.exe"};  // the id now belongs to a later process
  const app::OpeningRecord record = app::make_record(opening.items, opening.result, kNow);
  const std::vector<CloseState> states = app::close_opening(record, closer);
  EXPECT_EQ(states, (std::vector<CloseState>{CloseState::ended, CloseState::ended, CloseState::not_started,
                                             CloseState::not_started, CloseState::kept_open}));
  EXPECT_EQ(closer.calls, (std::vector<std::string>{"folder /home/ann\\Docs"}));
  EXPECT_EQ(app::close_summary(record, states),
            "2 had already ended (a, Docs) \u00B7 2 not started by tolvik (a.example, running)");
}

TEST(CloseOpening, WithoutAListOfFolderWindowsTheFoldersOwnProcessIsAsked) {
  Opening opening;
  opening.result.processes.push_back({1, 22, 6000, "C:\\windows\\explorer.exe", false});
  const app::OpeningRecord record = app::make_record(opening.items, opening.result, kNow);
  FakeCloser closer;
  closer.folder_list = false;
  closer.live[22] = {6000, "C:\\windows\\explorer.exe"};
  EXPECT_EQ(app::close_opening(record, closer)[1], CloseState::closed);
  EXPECT_EQ(closer.calls, (std::vector<std::string>{"folder /home/ann\\Docs", "close 22"}));
  // With the list, the process is left alone: it may hold other folders' windows.
  closer.folder_list = true;
  closer.calls.clear();
  EXPECT_EQ(app::close_opening(record, closer)[1], CloseState::ended);
  EXPECT_EQ(closer.calls, (std::vector<std::string>{"folder /home/ann\\Docs"}));
}

TEST(CloseOpening, CommandLineNamesTheBundleByIdOrName) {
  EXPECT_EQ(app::plan_start({"--open", "b1", "--CLOSE", "b2"}).close_id, "b2");
  bundle::Store store;
  store.bundles = {{"b7", "Morning", {}}, {"b8", "Evening", {}}, {"b9", "EVENING", {}}};
  std::vector<std::string> closed;
  auto close = [&closed, &store](std::string_view id) {
    return app::windowless_close(store, id, [&closed](const std::string& bundle_id) {
      closed.push_back(bundle_id);
      return app::CloseReport{app::CloseReport::Kind::unreadable, true, "bad record", true};
    });
  };
  EXPECT_EQ(close("morning"), "Couldn't close: Morning\n\nbad record");
  // A record may outlive its bundle: the argument is then the id.
  EXPECT_EQ(close("gone"), "Couldn't close: gone\n\nbad record");
  // A name two bundles share closes neither.
  EXPECT_EQ(close("evening"), "More than one bundle is named “evening”; give its id instead: b8, b9");
  EXPECT_EQ(closed, (std::vector<std::string>{"b7", "gone"}));
  EXPECT_EQ(app::windowless_close_message("Morning", {app::CloseReport::Kind::closed, false, "Closed 2"}),
            std::nullopt);
  EXPECT_EQ(app::windowless_close_message("Morning", {app::CloseReport::Kind::closed, true, "1 had already ended (A)"}),
            "Morning\n\n1 had already ended (A)");
}

}  // namespace
