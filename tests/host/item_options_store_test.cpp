#include <gtest/gtest.h>

#include <string>

#include "bundle/export_file.h"
#include "bundle/limits.h"
#include "bundle/store_file.h"

namespace {

using bundle::IfRunning;
using bundle::Item;
using bundle::Kind;
using bundle::WindowState;

Item every_option() {
  Item item{Kind::app, "%ProgramFiles%\\Server\\srv.exe", "-p 80", "Server"};
  item.options = {2.5, 45, IfRunning::focus, WindowState::maximized, true, "D:\\작업\\%USERNAME%", true};
  return item;
}

bundle::ItemOptions options_read(const std::string& members) {
  auto store = bundle::parse_store(R"({"bundles": [{"id": "b", "name": "n", "items": [{"kind": "app", "target": "C:\\a.exe", )" +
                                   members + R"(, "name": "kept"}]}]})");
  EXPECT_TRUE(store) << members << ": " << store.error().text;
  if (!store) return {};
  EXPECT_EQ(store->bundles.at(0).items.at(0).name, "kept") << members;
  return store->bundles[0].items[0].options;
}

TEST(ItemOptionsStore, EveryOptionRoundTripsBeforeTheReviewMarkAndDefaultsLeaveNoTrace) {
  Item item = every_option();
  item.unreviewed = true;
  const bundle::Store store{1, {bundle::Bundle{"b1", "Work", {item, Item{Kind::folder, "C:\\Logs", "", ""}}}}};
  const std::string text = bundle::serialize_store(store);
  EXPECT_NE(text.find("          \"name\": \"Server\",\n"
                      "          \"delay\": 2.5,\n"
                      "          \"wait\": 45,\n"
                      "          \"if_running\": \"focus\",\n"
                      "          \"window\": \"maximized\",\n"
                      "          \"admin\": true,\n"
                      "          \"dir\": \"D:\\\\작업\\\\%USERNAME%\",\n"
                      "          \"keep_open\": true,\n"
                      "          \"unreviewed\": true\n"),
            std::string::npos)
      << text;
  // The folder keeps the form older versions wrote.
  EXPECT_NE(text.find("\"kind\": \"folder\",\n          \"target\": \"C:\\\\Logs\"\n        }"), std::string::npos);
  auto read = bundle::parse_store(text);
  ASSERT_TRUE(read) << read.error().text;
  EXPECT_EQ(*read, store);
}

TEST(ItemOptionsStore, WrongTypesAndValuesOutOfRangeLeaveTheDefaultWithoutRefusingTheStore) {
  const std::string ignored[] = {
      R"("delay": -1)",      R"("delay": 600.5)",         R"("delay": 1e9999)",        R"("delay": "5")",
      R"("delay": null)",    R"("delay": [1, {"a": 2}])", R"("wait": 0.5)",            R"("wait": 601)",
      R"("wait": -1e400)",   R"("if_running": "Focus")",  R"("if_running": ["skip"])", R"("window": "hidden")",
      R"("window": false)",  R"("admin": "true")",        R"("admin": 1)",             R"("keep_open": {})",
      R"("dir": 5)",         R"("dir": ["C:\\"])",
  };
  for (const std::string& members : ignored) EXPECT_EQ(options_read(members), bundle::ItemOptions{}) << members;

  // One bad member spoils none of its neighbours.
  const bundle::ItemOptions mixed =
      options_read(R"("delay": "soon", "wait": 600, "if_running": "skip", "window": "minimized", "dir": {"x": [1]})");
  EXPECT_EQ(mixed, (bundle::ItemOptions{0, 600, IfRunning::skip, WindowState::minimized, false, "", false}));

  const std::string longest(bundle::kMaxTargetUnits, 'a');
  EXPECT_EQ(options_read(R"("dir": ")" + longest + "\"").dir, longest);
  EXPECT_EQ(options_read(R"("dir": ")" + longest + "a\"").dir, "");
}

TEST(ItemOptionsStore, ExportFilesCarryEveryOptionButAdminAndAnImportDropsIt) {
  const bundle::Bundle own{"b1", "Work", {every_option()}};
  const std::string text = bundle::serialize_exported(own);
  EXPECT_EQ(text.find("admin"), std::string::npos) << text;
  auto back = bundle::parse_exported(text);
  ASSERT_TRUE(back) << back.error().text;
  bundle::Bundle expected = own;
  expected.items[0].options.admin = false;
  EXPECT_EQ(*back, expected);

  // A file from another program that does ask for it.
  auto foreign = bundle::parse_exported(R"({"format": "tolvik", "version": 1, "bundle": {"id": "x", "name": "n",
      "items": [{"kind": "app", "target": "C:\\a.exe", "admin": true, "keep_open": true}]}})");
  ASSERT_TRUE(foreign) << foreign.error().text;
  EXPECT_FALSE(foreign->items[0].options.admin);
  EXPECT_TRUE(foreign->items[0].options.keep_open);
}

}  // namespace
