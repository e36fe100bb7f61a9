#include "app/opening/elevated_handoff.h"

#include <gtest/gtest.h>

namespace {

TEST(ElevatedHandoff, ItemsTravelWithEveryOptionButAdministrator) {
  bundle::Item first{bundle::Kind::app, "C:\\Tools\\server.exe", "--port 8080 \"two words\"", "Server"};
  first.options.delay = 1.5;
  first.options.wait = 30;
  first.options.if_running = bundle::IfRunning::focus;
  first.options.window = bundle::WindowState::minimized;
  first.options.dir = "C:\\Work\\한국어";
  first.options.keep_open = true;
  bundle::Item second{bundle::Kind::app, "C:\\Tools\\client.exe", "", ""};
  first.options.admin = second.options.admin = true;
  second.options.if_running = bundle::IfRunning::skip;
  second.options.window = bundle::WindowState::maximized;

  auto read = app::parse_elevated_items(app::serialize_elevated_items({first, second}));
  ASSERT_TRUE(read) << read.error().text;
  // The helper already runs elevated: what it reads starts as it is.
  first.options.admin = false;
  second.options.admin = false;
  EXPECT_EQ(*read, (std::vector<bundle::Item>{first, second}));
}

TEST(ElevatedHandoff, SecondsOutOfTheStoresRangeReachTheHelperAsNone) {
  struct Case {
    double given, wait, delay;
  };
  // A wait below a second cannot be told from none, in the store and here alike.
  for (const Case seconds : {Case{0.5, 0, 0.5}, Case{1, 1, 1}, Case{600, 600, 600}, Case{600.5, 0, 0}}) {
    bundle::Item item{bundle::Kind::app, "C:\\Tools\\server.exe", "", ""};
    item.options.wait = item.options.delay = seconds.given;
    auto read = app::parse_elevated_items(app::serialize_elevated_items({item}));
    ASSERT_TRUE(read) << read.error().text;
    EXPECT_EQ(read->front().options.wait, seconds.wait) << seconds.given;
    EXPECT_EQ(read->front().options.delay, seconds.delay) << seconds.given;
  }
}

TEST(ElevatedHandoff, TheAnswerGivesEachItemItsOutcomeAndTheProcessesStarted) {
  app::OpenResult result;
  result.items = {{app::ItemState::opened, {}}, {app::ItemState::failed, "Access is denied."},
                  {app::ItemState::stopped, {}}};
  result.processes = {{0, 4242, 133500000000000000ull, "C:\\Tools\\server.exe", false}};
  auto read = app::parse_elevated_answer(app::serialize_elevated_answer(result), 3);
  ASSERT_TRUE(read) << read.error().text;
  EXPECT_EQ(read->items, result.items);
  ASSERT_EQ(read->processes.size(), 1u);
  EXPECT_EQ(read->processes[0].id, 4242u);
  EXPECT_EQ(read->processes[0].created, 133500000000000000ull);
  EXPECT_EQ(read->processes[0].image, "C:\\Tools\\server.exe");
  EXPECT_TRUE(read->processes[0].elevated);
  // An answer for another list is none.
  EXPECT_FALSE(app::parse_elevated_answer(app::serialize_elevated_answer(result), 2));
  EXPECT_EQ(app::elevated_answer_path("C:\\T\\elevated-1.json"), "C:\\T\\elevated-1.json.answer");
}

}  // namespace
