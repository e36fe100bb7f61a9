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

bundle::Store one_item_store(const std::string& members) {
  auto store = bundle::parse_store(R"({"bundles": [{"id": "b", "name": "n", "items": [{"kind": "app", "target": "C:\\a.exe", )" +
                                   members + R"(, "name": "kept"}]}]})");
  EXPECT_TRUE(store) << members << ": " << store.error().text;
  return store ? *store : bundle::Store{};
}

TEST(ItemOptionsStore, EveryOptionRoundTripsBeforeTheReviewMark) {
  Item item = every_option();
  item.unreviewed = true;
  Item second{Kind::folder, "C:\\Logs", "", ""};
  second.options.window = WindowState::minimized;
  second.options.if_running = IfRunning::skip;
  const bundle::Store store{1, {bundle::Bundle{"b1", "Work", {item, second}}}};
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
  EXPECT_NE(text.find("\"if_running\": \"skip\",\n          \"window\": \"minimized\"\n"), std::string::npos) << text;
  auto read = bundle::parse_store(text);
  ASSERT_TRUE(read) << read.error().text;
  EXPECT_EQ(*read, store);

  EXPECT_EQ(one_item_store(R"("delay": 0.25)").bundles[0].items[0].options.delay, 0.25);
  // The array form of an item takes the options after its other fields.
  auto listed = bundle::parse_store(
      R"([1, [["b", "n", [["app", "C:\\a.exe", "", "", false, 1, 2, "skip", "minimized", false, "C:\\", true]]]]])");
  ASSERT_TRUE(listed) << listed.error().text;
  const bundle::ItemOptions expected{1, 2, IfRunning::skip, WindowState::minimized, false, "C:\\", true};
  EXPECT_EQ(listed->bundles[0].items[0].options, expected);
}

TEST(ItemOptionsStore, AStoreWithoutOptionsKeepsItsExactForm) {
  // As an older version wrote it: no option member, so none comes back.
  const std::string old = R"({
  "version": 1,
  "bundles": [
    {
      "id": "b1",
      "name": "Month-end",
      "items": [
        {
          "kind": "app",
          "target": "C:\\Tools\\t.exe",
          "args": "-a",
          "name": "Tool"
        },
        {
          "kind": "url",
          "target": "https://bank.example/%20x"
        }
      ]
    }
  ]
})";
  auto store = bundle::parse_store(old);
  ASSERT_TRUE(store) << store.error().text;
  for (const Item& item : store->bundles[0].items) EXPECT_EQ(item.options, bundle::ItemOptions{});
  EXPECT_EQ(bundle::serialize_store(*store), old);

  // Options set back to their defaults leave no trace either.
  store->bundles[0].items[0].options = {0, 0, IfRunning::start_another, WindowState::normal, false, "", false};
  EXPECT_EQ(bundle::serialize_store(*store), old);
}

TEST(ItemOptionsStore, WrongTypesAndValuesOutOfRangeLeaveTheDefaultAndTheRestLoads) {
  const std::string ignored[] = {
      R"("delay": -1)",           R"("delay": 600.5)",       R"("delay": 1e9999)",
      R"("delay": "5")",          R"("delay": null)",        R"("delay": [1, {"a": 2}])",
      R"("delay": {"s": 3})",     R"("delay": true)",        R"("wait": 0.5)",
      R"("wait": -30)",           R"("wait": 601)",          R"("wait": -1e400)",
      R"("if_running": "Focus")", R"("if_running": 1)",      R"("if_running": ["skip"])",
      R"("window": "hidden")",    R"("window": false)",      R"("admin": "true")",
      R"("admin": 1)",            R"("keep_open": {})",      R"("dir": 5)",
      R"("dir": ["C:\\"])",       R"("keep_open": null)",    R"("admin": false)",
  };
  for (const std::string& members : ignored) {
    const bundle::Store store = one_item_store(members);
    ASSERT_EQ(store.bundles.size(), 1u) << members;
    ASSERT_EQ(store.bundles[0].items.size(), 1u) << members;
    const Item& item = store.bundles[0].items[0];
    EXPECT_EQ(item.options, bundle::ItemOptions{}) << members;
    EXPECT_EQ(item.name, "kept") << members;
  }
  // One bad member spoils neither its neighbours nor the next item.
  const bundle::Store mixed = one_item_store(R"("delay": "soon", "wait": 600, "window": "maximized", "dir": {"x": [1]})");
  EXPECT_EQ(mixed.bundles[0].items[0].options.delay, 0);
  EXPECT_EQ(mixed.bundles[0].items[0].options.wait, 600);
  EXPECT_EQ(mixed.bundles[0].items[0].options.window, WindowState::maximized);

  const std::string too_long(bundle::kMaxTargetUnits + 1, 'a');
  EXPECT_EQ(one_item_store(R"("dir": ")" + too_long + "\"").bundles[0].items[0].options.dir, "");
  const std::string longest(bundle::kMaxTargetUnits, 'a');
  EXPECT_EQ(one_item_store(R"("dir": ")" + longest + "\"").bundles[0].items[0].options.dir, longest);
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
