// tolvikc's portable code: the command plans, which bundle a name means, the
// --list forms and what an opening or a close prints and returns.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/reach/console.h"
#include "fake_platform.h"

namespace {

using app::console::Command;
using testing_support::app_item;
using testing_support::FakeOpener;
using testing_support::file_item;
using testing_support::result_of;
using testing_support::url_item;
using app::console::Plan;

bundle::Bundle make_bundle(std::string id, std::string name, std::vector<bundle::Item> items = {}) {
  bundle::Bundle b;
  b.id = std::move(id);
  b.name = std::move(name);
  b.items = std::move(items);
  return b;
}

std::vector<std::string> line(std::initializer_list<const char*> args) {
  std::vector<std::string> all{"tolvikc"};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

TEST(ConsolePlan, AcceptedCommands) {
  EXPECT_EQ(*app::console::plan_command(line({})), Plan{});
  EXPECT_EQ(*app::console::plan_command(line({"--help"})), Plan{});
  EXPECT_EQ(*app::console::plan_command(line({"/?"})), Plan{});
  EXPECT_EQ(*app::console::plan_command(line({"--list"})), (Plan{Command::list, false, {}}));
  EXPECT_EQ(*app::console::plan_command(line({"--list", "--json"})), (Plan{Command::list, true, {}}));
  EXPECT_EQ(*app::console::plan_command(line({"--JSON", "--List"})), (Plan{Command::list, true, {}}));
  EXPECT_EQ(*app::console::plan_command(line({"--open", "Morning mail"})), (Plan{Command::open, false, "Morning mail"}));
  EXPECT_EQ(*app::console::plan_command(line({"--Close", "b1"})), (Plan{Command::close, false, "b1"}));
  // A name that looks like an option is still a name.
  EXPECT_EQ(*app::console::plan_command(line({"--open", "--list"})), (Plan{Command::open, false, "--list"}));
}

TEST(ConsolePlan, BadArgumentsAreRefusedWithTheArgument) {
  auto error = [](std::initializer_list<const char*> args) {
    auto plan = app::console::plan_command(line(args));
    EXPECT_FALSE(plan) << "accepted";
    return plan ? std::string() : plan.error().text;
  };
  EXPECT_EQ(error({"--open"}), "--open needs the id or name of a bundle.");
  EXPECT_EQ(error({"--close", ""}), "--close needs the id or name of a bundle.");
  EXPECT_EQ(error({"--open", "b1", "b2"}), "Unknown argument: b2");
  EXPECT_EQ(error({"--json"}), "Unknown argument: --json");
  EXPECT_EQ(error({"--list", "--list"}), "Unknown argument: --list");
  EXPECT_EQ(error({"--list", "--xml"}), "Unknown argument: --xml");
  EXPECT_EQ(error({"b1"}), "Unknown argument: b1");
  EXPECT_EQ(error({"--help", "--list"}), "Unknown argument: --help");
  // Refused before anything is read: the run's exit code is 2 either way.
  EXPECT_EQ(app::console::kExitRefused, 2);
}

TEST(ConsoleList, LinesKeepOneBundleALineAndJsonEscapes) {
  bundle::Store store;
  store.bundles = {make_bundle("b1", "Month-end 정산", {file_item("C:\\a.txt"), url_item("https://x.example")}),
                   make_bundle("b2", "Tab\there\nand\r\nbreak")};
  EXPECT_EQ(app::console::list_lines(store), "b1\tMonth-end 정산\t2\nb2\tTab here and  break\t0\n");
  const std::string json = app::console::list_json(store);
  EXPECT_EQ(json.find('\n'), json.size() - 1) << "one line: " << json;
  EXPECT_NE(json.find("Tab\\there\\nand\\r\\nbreak"), std::string::npos) << json;
  const auto parsed = nlohmann::json::parse(json);
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0], (nlohmann::json{{"id", "b1"}, {"name", "Month-end 정산"}, {"items", 2}}));
  EXPECT_EQ(parsed[1]["name"], "Tab\there\nand\r\nbreak");
  EXPECT_EQ(app::console::list_json(bundle::Store{}), "[]\n");
}

TEST(ConsoleOpenReport, ExitCodeAndOneLinePerItemNotOpened) {
  using S = app::ItemState;
  const std::vector<bundle::Item> items = {app_item("C:\\a.exe"), file_item("C:\\gone\tnow.txt"), app_item("C:\\b.exe"),
                                           app_item("C:\\c.exe"), app_item("C:\\d.exe")};
  auto ok = app::console::open_report(items, result_of({S::opened, S::brought_to_front, S::skipped, S::opened,
                                                        S::opened}));
  EXPECT_EQ(ok, (app::console::Output{0, {}, {}}));

  app::OpenResult bad = result_of({S::opened, S::not_found, S::failed, S::declined, S::timed_out});
  bad.items[2].reason = "Access is denied.";
  EXPECT_EQ(app::console::open_report(items, bad),
            (app::console::Output{1, {},
                                  "2: C:\\gone now.txt \u2014 Not found\n"
                                  "3: C:\\b.exe \u2014 Access is denied.\n"
                                  "4: C:\\c.exe \u2014 Consent declined\n"
                                  "5: C:\\d.exe \u2014 Timed out waiting\n"}));
  // An item the opening never came to did not open either.
  EXPECT_EQ(app::console::open_report(items, result_of({S::opened, S::opened, S::opened, S::opened, S::stopped})).code,
            1);
}

TEST(ConsoleRun, OpensWithTheRealEngineAndRecords) {
  bundle::Store store;
  store.bundles = {make_bundle("b1", "Work", {file_item("C:\\here.txt"), file_item("C:\\missing.txt")})};
  FakeOpener opener;
  opener.existing = {"C:\\here.txt"};
  std::vector<std::string> recorded;
  const app::RecordOpening record = [&recorded](const std::string& id, const std::vector<bundle::Item>&,
                                                const app::OpenResult&) { recorded.push_back(id); };
  const auto output = app::console::run(Plan{Command::open, false, "work"}, base::Result<bundle::Store>(store), opener,
                                        record, {});
  EXPECT_EQ(output, (app::console::Output{1, {}, "2: C:\\missing.txt \u2014 Not found\n"}));
  EXPECT_EQ(recorded, std::vector<std::string>{"b1"});
  EXPECT_EQ(opener.starts, 1u);
}

TEST(ConsoleRun, RefusalsStartNothing) {
  bundle::Store store;
  store.bundles = {make_bundle("b1", "Same"), make_bundle("b2", "same"),
                   make_bundle("b3", "Imported", {app_item("C:\\tool.exe")})};
  store.bundles[2].items[0].unreviewed = true;
  FakeOpener opener;
  opener.existing = {"C:\\tool.exe"};
  const base::Result<bundle::Store> loaded(store);
  auto run = [&](Command command, std::string name) {
    return app::console::run(Plan{command, false, std::move(name)}, loaded, opener, {},
                             [](const std::string&) -> app::CloseReport {
                               ADD_FAILURE() << "closed";
                               return {};
                             });
  };
  EXPECT_EQ(run(Command::open, "nope"), (app::console::Output{2, {}, "No bundle has the id or name “nope”.\n"}));
  EXPECT_EQ(run(Command::close, "SAME"),
            (app::console::Output{2, {}, "More than one bundle is named “SAME”; give its id instead: b1, b2\n"}));
  const auto unreviewed = run(Command::open, "b3");
  EXPECT_EQ(unreviewed.code, 3);
  EXPECT_NE(unreviewed.err.find("tolvik.exe --open b3 "), std::string::npos) << unreviewed.err;
  EXPECT_EQ(opener.starts, 0u);

  const base::Result<bundle::Store> unreadable(base::fail("line 3, column 1: syntax error"));
  const auto broken = app::console::run(Plan{Command::list, false, {}}, unreadable, opener, {}, {});
  EXPECT_EQ(broken, (app::console::Output{2, {}, "Couldn't read the saved bundles.\nline 3, column 1: syntax error\n"}));
}

TEST(ConsoleClose, ExitCodeFollowsWhatWasLeftOpen) {
  app::CloseReport closed{app::CloseReport::Kind::closed, true, "Closed 1 · 1 had already ended (Notes)", false};
  EXPECT_EQ(app::console::close_report("Work", closed),
            (app::console::Output{0, "Closed 1 · 1 had already ended (Notes)\n", {}}));
  app::CloseReport left{app::CloseReport::Kind::closed, true, "Closed 0 · 1 with no window to close (tray)", true};
  EXPECT_EQ(app::console::close_report("Work", left).code, 1);
  const auto nothing = app::console::close_report("Work", app::CloseReport{});
  EXPECT_EQ(nothing.code, 0);
  EXPECT_EQ(nothing.out, "Nothing to close: no opening of “Work” is recorded.\n");
  app::CloseReport unreadable{app::CloseReport::Kind::unreadable, true, "bad file", true};
  EXPECT_EQ(app::console::close_report("Work", unreadable), (app::console::Output{1, {}, "Couldn't close: Work\nbad file\n"}));
}

TEST(CloseLeftOpen, OnlyProcessesThatStillRun) {
  using C = app::CloseState;
  EXPECT_FALSE(app::close_left_open({C::closed, C::ended, C::kept_open, C::not_started, C::nothing}));
  EXPECT_TRUE(app::close_left_open({C::closed, C::no_window}));
  EXPECT_TRUE(app::close_left_open({C::elevated}));
}

}  // namespace
