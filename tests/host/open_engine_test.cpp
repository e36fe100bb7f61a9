// How an opening goes through its items with their options: delays, what runs
// already, the one elevated helper, waits for windows, Stop, and variables.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/opening/open.h"

namespace {

using app::ItemState;
using bundle::Item;
using bundle::Kind;

// An opener that logs each call and answers from its sets.
class ScriptedOpener final : public app::Opener {
 public:
  std::set<std::string> existing;
  std::set<std::string> running;          // targets that run already
  std::map<std::string, app::WaitResult> waits;  // by target; ready when absent
  std::size_t stop_after_starts = 1000;    // Stop is pressed once this many items started
  bool decline = false;                    // the consent prompt is answered No
  std::set<double> stopped_pauses;         // Stop is pressed during a pause of this length
  std::vector<std::string> events;
  std::vector<std::vector<Item>> elevated_batches;

  bool target_exists(const std::string& target) override {
    events.push_back("exists:" + target);
    return existing.contains(target);
  }
  bool pause(double seconds) override {
    events.push_back("pause:" + std::to_string(static_cast<int>(seconds * 1000)));
    if (stopped_pauses.contains(seconds)) stopped_ = true;
    return !stop_requested();
  }
  bool stop_requested() override { return stopped_ || starts_ >= stop_after_starts; }
  bool already_running(const Item& item, bool bring_to_front) override {
    events.push_back(std::string(bring_to_front ? "focus?:" : "running?:") + item.target);
    return running.contains(item.target);
  }
  app::StartOutcome start(const Item& item) override {
    events.push_back("start:" + item.target + (item.args.empty() ? "" : " " + item.args));
    ++starts_;
    app::StartedProcess process;
    process.id = static_cast<std::uint32_t>(100 + starts_);
    process.image = item.target;
    return {{}, item.kind == Kind::url ? std::nullopt : std::optional(process)};
  }
  app::WaitResult wait_for_window(const app::StartedProcess& process, double timeout) override {
    events.push_back("wait:" + process.image + " " + std::to_string(static_cast<int>(timeout)));
    const auto found = waits.find(process.image);
    return found == waits.end() ? app::WaitResult::ready : found->second;
  }
  app::OpenResult start_elevated(const std::vector<Item>& items) override {
    events.push_back("elevated:" + std::to_string(items.size()));
    elevated_batches.push_back(items);
    app::OpenResult answer;
    for (std::size_t i = 0; i < items.size(); ++i) {
      answer.items.push_back({decline ? ItemState::declined : ItemState::opened, {}});
      if (!decline) answer.processes.push_back({.position = i, .id = static_cast<std::uint32_t>(900 + i)});
    }
    return answer;
  }
  void progress(std::size_t done, std::size_t total) override {
    progress_seen.push_back(std::to_string(done) + "/" + std::to_string(total));
  }
  std::vector<std::string> progress_seen;

 private:
  std::size_t starts_ = 0;
  bool stopped_ = false;
};

Item item(Kind kind, std::string target, bundle::ItemOptions options = {}) {
  Item made{kind, std::move(target), {}, {}};
  made.options = std::move(options);
  return made;
}

std::vector<ItemState> states(const app::OpenResult& result) {
  std::vector<ItemState> found;
  for (const app::ItemOutcome& outcome : result.items) found.push_back(outcome.state);
  return found;
}

TEST(OpenEngine, ADelayReplacesTheGapEvenBeforeTheFirstItemAndAMissingItemWaitsForNothing) {
  ScriptedOpener opener;
  opener.existing = {"a", "c", "d"};
  const app::OpenResult result = app::open_items({item(Kind::file, "a", {.delay = 2}), item(Kind::file, "b", {.delay = 5}),
                                                  item(Kind::file, "c"), item(Kind::file, "d", {.delay = 0.5})},
                                                 opener);
  EXPECT_EQ(opener.events, (std::vector<std::string>{"exists:a", "pause:2000", "start:a", "exists:b", "exists:c",
                                                     "pause:150", "start:c", "exists:d", "pause:500", "start:d"}));
  EXPECT_EQ(states(result), (std::vector<ItemState>{ItemState::opened, ItemState::not_found, ItemState::opened,
                                                    ItemState::opened}));
  EXPECT_EQ(opener.progress_seen, (std::vector<std::string>{"1/4", "2/4", "3/4", "4/4"}));
}

TEST(OpenEngine, WhatAlreadyRunsIsBroughtForwardOrSkippedOnlyForAppsAndFolders) {
  ScriptedOpener opener;
  opener.existing = {"app.exe", "D:\\Work", "doc.txt", "other.exe"};
  opener.running = {"app.exe", "D:\\Work", "doc.txt"};
  const app::OpenResult result = app::open_items(
      {item(Kind::app, "app.exe", {.if_running = bundle::IfRunning::focus}),
       item(Kind::folder, "D:\\Work", {.if_running = bundle::IfRunning::skip}),
       item(Kind::file, "doc.txt", {.if_running = bundle::IfRunning::skip}),  // a document has no such choice
       item(Kind::app, "other.exe", {.if_running = bundle::IfRunning::skip})},
      opener);
  EXPECT_EQ(states(result), (std::vector<ItemState>{ItemState::brought_to_front, ItemState::skipped,
                                                    ItemState::opened, ItemState::opened}));
  EXPECT_EQ(opener.events,
            (std::vector<std::string>{"exists:app.exe", "focus?:app.exe", "exists:D:\\Work", "running?:D:\\Work",
                                      "exists:doc.txt", "start:doc.txt", "exists:other.exe", "running?:other.exe",
                                      "pause:150", "start:other.exe"}));
  // Only what this opening started may be closed again.
  ASSERT_EQ(result.processes.size(), 2u);
  EXPECT_EQ(result.processes[0].position, 2u);
  EXPECT_EQ(result.processes[1].position, 3u);
}

TEST(OpenEngine, EveryAdministratorAppGoesToOneHelperAtTheFirstOfThem) {
  ScriptedOpener opener;
  opener.existing = {"a.exe", "b.exe", "c.exe", "e.exe"};
  const bundle::ItemOptions admin{.delay = 3, .admin = true, .dir = "C:\\Run"};
  const std::vector<Item> items = {item(Kind::app, "a.exe"), item(Kind::app, "b.exe", admin), item(Kind::app, "c.exe"),
                                   item(Kind::file, "e.exe", {.admin = true}),  // not an app: started as usual
                                   item(Kind::app, "d.exe", {.admin = true})};
  const app::OpenResult result = app::open_items(items, opener);
  EXPECT_EQ(opener.events,
            (std::vector<std::string>{"exists:a.exe", "start:a.exe", "exists:b.exe", "pause:3000", "elevated:2",
                                      "exists:c.exe", "pause:150", "start:c.exe", "exists:e.exe", "pause:150",
                                      "start:e.exe"}));
  ASSERT_EQ(opener.elevated_batches.size(), 1u);
  const std::vector<Item>& batch = opener.elevated_batches[0];
  ASSERT_EQ(batch.size(), 2u);
  // The helper checks d.exe itself; b's delay was waited for here, its folder travels.
  EXPECT_EQ(batch[0].target, "b.exe");
  EXPECT_EQ(batch[0].options.delay, 0);
  EXPECT_EQ(batch[0].options.dir, "C:\\Run");
  EXPECT_EQ(batch[1].target, "d.exe");
  EXPECT_EQ(states(result), std::vector<ItemState>(5, ItemState::opened));
  ASSERT_EQ(result.processes.size(), 5u);
  EXPECT_EQ(result.processes[1].position, 1u);
  EXPECT_TRUE(result.processes[1].elevated);
  EXPECT_EQ(result.processes[2].position, 4u);
  EXPECT_TRUE(result.processes[2].elevated);
  EXPECT_FALSE(result.processes[3].elevated);
}

TEST(OpenEngine, ADeclinedConsentLeavesThoseItemsUnopenedAndTheRestOpens) {
  ScriptedOpener opener;
  opener.decline = true;
  opener.existing = {"a.exe", "b.exe"};
  const app::OpenResult result =
      app::open_items({item(Kind::app, "a.exe", {.admin = true}), item(Kind::app, "b.exe")}, opener);
  EXPECT_EQ(states(result), (std::vector<ItemState>{ItemState::declined, ItemState::opened}));
  ASSERT_EQ(result.processes.size(), 1u);
  EXPECT_EQ(result.processes[0].position, 1u);
}

TEST(OpenEngine, WaitsForWindowsOfAppsAndDocumentsAndATimeoutIsReported) {
  ScriptedOpener opener;
  opener.existing = {"server.exe", "slow.exe", "notes.txt", "D:\\Share"};
  opener.waits = {{"slow.exe", app::WaitResult::timed_out}};
  const app::OpenResult result = app::open_items({item(Kind::app, "server.exe", {.wait = 30}),
                                                  item(Kind::app, "slow.exe", {.wait = 5}),
                                                  item(Kind::folder, "D:\\Share", {.wait = 30}),
                                                  item(Kind::url, "https://a.bc", {.wait = 30})},
                                                 opener);
  EXPECT_EQ(opener.events,
            (std::vector<std::string>{"exists:server.exe", "start:server.exe", "wait:server.exe 30",
                                      "exists:slow.exe", "pause:150", "start:slow.exe", "wait:slow.exe 5",
                                      "exists:D:\\Share", "pause:150", "start:D:\\Share", "pause:150",
                                      "start:https://a.bc"}));
  EXPECT_EQ(states(result), (std::vector<ItemState>{ItemState::opened, ItemState::timed_out, ItemState::opened,
                                                    ItemState::opened}));
  EXPECT_EQ(result.processes.size(), 3u);  // the slow one was started and may be closed again
}

TEST(OpenEngine, StopStartsNothingMore) {
  ScriptedOpener opener;
  opener.existing = {"a", "b", "c"};
  opener.stop_after_starts = 1;
  app::OpenResult result =
      app::open_items({item(Kind::file, "a"), item(Kind::file, "b"), item(Kind::file, "c")}, opener);
  EXPECT_EQ(opener.events, (std::vector<std::string>{"exists:a", "start:a"}));
  EXPECT_EQ(states(result), (std::vector<ItemState>{ItemState::opened, ItemState::stopped, ItemState::stopped}));

  // Stopped during an item's own delay: that item does not start either.
  ScriptedOpener waiting;
  waiting.existing = {"a", "b", "c"};
  waiting.stopped_pauses = {60};
  result = app::open_items({item(Kind::file, "a", {.wait = 10}), item(Kind::file, "b", {.delay = 60}),
                            item(Kind::file, "c")},
                           waiting);
  EXPECT_EQ(states(result), (std::vector<ItemState>{ItemState::opened, ItemState::stopped, ItemState::stopped}));
  EXPECT_EQ(waiting.events, (std::vector<std::string>{"exists:a", "start:a", "wait:a 10", "exists:b", "pause:60000"}));
}

TEST(OpenEngine, VariablesAreExpandedInPathsButNotInArgumentsOrWebAddresses) {
  ::setenv("TOLVIK_ENGINE_TEST_HOME", "C:\\Users\\Mina", 1);
  ScriptedOpener opener;
  opener.existing = {"C:\\Users\\Mina\\tool.exe"};
  Item tool = item(Kind::app, "%TOLVIK_ENGINE_TEST_HOME%\\tool.exe", {.dir = "%TOLVIK_ENGINE_TEST_HOME%\\out"});
  tool.args = "--log %TOLVIK_ENGINE_TEST_HOME%";
  const std::vector<Item> items = {tool, item(Kind::url, "https://a.bc/%TOLVIK_ENGINE_TEST_HOME%"),
                                   item(Kind::file, "%TOLVIK_ENGINE_TEST_UNSET%\\plan.xlsx")};
  const app::OpenResult result = app::open_items(items, opener);
  EXPECT_EQ(opener.events,
            (std::vector<std::string>{"exists:C:\\Users\\Mina\\tool.exe",
                                      "start:C:\\Users\\Mina\\tool.exe --log %TOLVIK_ENGINE_TEST_HOME%",
                                      "pause:150", "start:https://a.bc/%TOLVIK_ENGINE_TEST_HOME%",
                                      "exists:%TOLVIK_ENGINE_TEST_UNSET%\\plan.xlsx"}));
  EXPECT_EQ(app::expanded_item(tool).options.dir, "C:\\Users\\Mina\\out");
  EXPECT_EQ(states(result).back(), ItemState::not_found);

  // The elevated helper gets the paths as the asking account expanded them.
  ScriptedOpener helper;
  helper.existing = {"%TOLVIK_ENGINE_TEST_HOME%\\tool.exe"};
  app::open_items({tool}, helper, /*expand=*/false);
  EXPECT_EQ(helper.events.front(), "exists:%TOLVIK_ENGINE_TEST_HOME%\\tool.exe");
  ::unsetenv("TOLVIK_ENGINE_TEST_HOME");
}

}  // namespace
