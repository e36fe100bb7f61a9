#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "base/cmdline.h"
#include "base/utf.h"
#include "bundle/store_file.h"
#include "temp_dir.h"

namespace {

using testing_support::read_all;
using testing_support::TempDir;

namespace fs = std::filesystem;
using bundle::Bundle;
using bundle::Item;
using bundle::Kind;
using bundle::Store;


void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

Store parse_ok(const std::string& text) {
  auto store = bundle::parse_store(text);
  EXPECT_TRUE(store) << store.error().text;
  return store ? *store : Store{};
}

std::string parse_error(const std::string& text) {
  auto store = bundle::parse_store(text);
  EXPECT_FALSE(store) << "accepted: " << text;
  return store ? std::string() : store.error().text;
}

const std::string kBom = "\xEF\xBB\xBF";

TEST(StoreLoad, BlankTextsAreEmptyStores) {
  const std::string blanks[] = {"", " ", "\r\n\t  \n", kBom, kBom + kBom + kBom, kBom + " \n", kBom + "\xE3\x80\x80"};
  for (const std::string& text : blanks) {
    auto store = bundle::parse_store(text);
    ASSERT_TRUE(store) << store.error().text;
    EXPECT_EQ(*store, Store{}) << text;
    EXPECT_EQ(store->version, 1u);
  }
}

TEST(StoreLoad, ReadsEveryField) {
  const Store store = parse_ok(kBom + kBom + R"({
  "version": 3,
  "bundles": [
    {
      "id": "b1",
      "name": "작업",
      "items": [
        {"kind": "app", "target": "C:\\Tools\\notepad.exe", "args": "-n \"x\"", "name": "Pad"},
        {"kind": "file", "target": "C:\\a.txt"},
        {"kind": "folder", "target": "D:\\Work\\"},
        {"kind": "url", "target": "https://host.example/\u00e9\ud83d\ude00"}
      ]
    },
    {"id": "b2", "name": ""}
  ]
})");
  const Store expected{
      3,
      {Bundle{"b1",
              "작업",
              {Item{Kind::app, "C:\\Tools\\notepad.exe", "-n \"x\"", "Pad"}, Item{Kind::file, "C:\\a.txt", "", ""},
               Item{Kind::folder, "D:\\Work\\", "", ""}, Item{Kind::url, "https://host.example/é😀", "", ""}}},
       Bundle{"b2", "", {}}}};
  EXPECT_EQ(store, expected);
}

TEST(StoreLoad, MissingOptionalFieldsTakeDefaults) {
  EXPECT_EQ(parse_ok("{}"), Store{});
  EXPECT_EQ(parse_ok(R"({"bundles": []})"), Store{});
  EXPECT_EQ(parse_ok(R"({"version": 0})").version, 0u);
  EXPECT_EQ(parse_ok(R"({"version": 4294967295})").version, 4294967295u);
  EXPECT_EQ(parse_ok(R"({"version": -0})").version, 0u);
  const Store store = parse_ok(R"({"bundles": [{"id": "b1", "name": "n"}]})");
  ASSERT_EQ(store.bundles.size(), 1u);
  EXPECT_TRUE(store.bundles[0].items.empty());
}

TEST(StoreLoad, ArrayRootHoldsFieldsInOrder) {
  const Store store = parse_ok(R"([7, [["b1", "n", [["url", "https://x.example", "", "X"], ["app", "C:\\a.exe"]]],
                                        {"id": "b2", "name": "m", "items": []}]])");
  const Store expected{
      7,
      {Bundle{"b1", "n", {Item{Kind::url, "https://x.example", "", "X"}, Item{Kind::app, "C:\\a.exe", "", ""}}},
       Bundle{"b2", "m", {}}}};
  EXPECT_EQ(store, expected);
  EXPECT_EQ(parse_ok("[]"), Store{});
  EXPECT_EQ(parse_ok("[9]").version, 9u);
}

TEST(StoreLoad, SkipsUnknownKeysAtEveryLevel) {
  const Store store = parse_ok(R"({
  "comment": {"nested": [1, {"id": 5, "bundles": null}, [[]]], "x": true},
  "version": 2,
  "extra": [{"kind": "nonsense"}],
  "bundles": [
    {
      "color": "red",
      "id": "b1",
      "tags": ["a", 1, null, false, 2.5, -3],
      "name": "n",
      "items": [{"kind": "file", "icon": {"size": [16, 32]}, "target": "x", "pinned": false, "z": null}]
    }
  ],
  "trailer": -1.5e10
})");
  const Store expected{2, {Bundle{"b1", "n", {Item{Kind::file, "x", "", ""}}}}};
  EXPECT_EQ(store, expected);
}

TEST(StoreLoad, RejectsDuplicateKeys) {
  const std::string text =
      "{\n"
      "  \"version\": 1,\n"
      "  \"bundles\": [\n"
      "    {\n"
      "      \"id\": \"a\",\n"
      "      \"id\": \"b\",\n"
      "      \"name\": \"n\"\n"
      "    }\n"
      "  ]\n"
      "}";
  EXPECT_EQ(parse_error(text), "parse error at line 6, column 10: duplicate field `id`");
  EXPECT_EQ(parse_error(R"({"version": 1, "version": 1})"),
            "parse error at line 1, column 24: duplicate field `version`");
  EXPECT_NE(parse_error(
                R"({"bundles": [{"id": "a", "name": "n", "items": [{"kind": "app", "target": "t", "target": "u"}]}]})")
                .find("duplicate field `target`"),
            std::string::npos);
}

TEST(StoreLoad, RejectsMissingRequiredFields) {
  // The position is the closing brace of the record that lacks the field.
  EXPECT_EQ(parse_error("{\"bundles\": [\n  {\"name\": \"n\"}\n]}"),
            "parse error at line 2, column 15: missing field `id`");
  EXPECT_EQ(parse_error("{\"bundles\": [{\"id\": \"b\"}]}"), "parse error at line 1, column 24: missing field `name`");
  EXPECT_EQ(parse_error(R"({"bundles": [{"id": "b", "name": "n", "items": [{"target": "t"}]}]})"),
            "parse error at line 1, column 63: missing field `kind`");
  EXPECT_EQ(parse_error(R"({"bundles": [{"id": "b", "name": "n", "items": [{"kind": "app"}]}]})"),
            "parse error at line 1, column 63: missing field `target`");
  // Array form: too few elements for the required fields.
  EXPECT_EQ(parse_error(R"([1, [["b"]]])"), "parse error at line 1, column 10: missing field `name`");
}

TEST(StoreLoad, RejectsUnknownKind) {
  const std::string text =
      "{\"bundles\": [{\"id\": \"b\", \"name\": \"n\", \"items\": [\n"
      "  {\"kind\": \"exe\", \"target\": \"x\"}\n"
      "]}]}";
  EXPECT_EQ(parse_error(text),
            "parse error at line 2, column 16: unknown kind `exe`, expected one of `app`, `file`, `folder`, `url`");
  EXPECT_NE(parse_error(R"({"bundles": [{"id": "b", "name": "n", "items": [{"kind": "App", "target": "x"}]}]})")
                .find("unknown kind `App`"),
            std::string::npos);
}

struct WrongType {
  const char* text;
  const char* error;
};

TEST(StoreLoad, RejectsWrongTypesWithPosition) {
  const WrongType cases[] = {
      {R"({"bundles": [{"id": "b", "name": 5}]})",
       "parse error at line 1, column 34: invalid type: found a number, expected a string"},
      {R"({"version": -1})",
       "parse error at line 1, column 14: invalid value: -1, expected an unsigned 32-bit integer"},
      {R"({"version": 4294967296})",
       "parse error at line 1, column 22: invalid value: 4294967296, expected an unsigned 32-bit integer"},
      {"{\"version\": 1.5\n}",
       "parse error at line 1, column 15: invalid type: found a floating-point number, expected an unsigned 32-bit integer"},
      {R"({"version": "1"})",
       "parse error at line 1, column 15: invalid type: found a string, expected an unsigned 32-bit integer"},
      {R"({"version": null})",
       "parse error at line 1, column 16: invalid type: found null, expected an unsigned 32-bit integer"},
      {R"({"bundles": {}})",
       "parse error at line 1, column 13: invalid type: found an object, expected an array of bundles"},
      {R"({"bundles": [{"id": "b", "name": "n", "items": "x"}]})",
       "parse error at line 1, column 50: invalid type: found a string, expected an array of items"},
      {R"({"bundles": [true]})",
       "parse error at line 1, column 17: invalid type: found a boolean, expected a bundle (an object or an array)"},
      {R"({"bundles": [{"id": ["b"], "name": "n"}]})",
       "parse error at line 1, column 21: invalid type: found an array, expected a string"},
      {R"({"bundles": [{"id": "b", "name": "n", "items": [{"kind": 1, "target": "x"}]}]})",
       "parse error at line 1, column 58: invalid type: found a number, expected one of `app`, `file`, `folder`, `url`"},
      {R"({"bundles": [{"id": "b", "name": "n", "items": [{"kind": "app", "target": "x", "args": null}]}]})",
       "parse error at line 1, column 91: invalid type: found null, expected a string"},
      {"42",
       "parse error at line 1, column 2: invalid type: found a number, expected the store (an object or an array)"},
      {"\"text\"",
       "parse error at line 1, column 6: invalid type: found a string, expected the store (an object or an array)"},
      {R"([1, [], 3])", "parse error at line 1, column 9: too many elements: the store has 2 fields"},
      {R"({"bundles": [{"id": "b", "name": "n", "items": [{"kind": "app", "target": "x", "unreviewed": 1}]}]})",
       "parse error at line 1, column 94: invalid type: found a number, expected a boolean"},
  };
  for (const WrongType& c : cases) EXPECT_EQ(parse_error(c.text), c.error) << c.text;
}

TEST(StoreLoad, SyntaxErrorsCarryTheParsersPosition) {
  const std::string trailing_comma = "{\n  \"version\": 1,\n}";
  const std::string error = parse_error(trailing_comma);
  EXPECT_NE(error.find("line 3, column 1"), std::string::npos) << error;
  EXPECT_EQ(error.find("[json.exception"), std::string::npos) << error;

  const std::string after_root = parse_error("{}\n  x");
  EXPECT_NE(after_root.find("line 2, column 3"), std::string::npos) << after_root;
  EXPECT_NE(parse_error("{\"version\": 1").find("line 1, column"), std::string::npos);
  EXPECT_NE(parse_error("{\"bundles\": [\"\xFF\"]}").find("line 1, column"), std::string::npos);
}

TEST(StoreLoad, SkipsNumbersBeyondTheRangeOfADouble) {
  // Valid JSON that no double can hold; where nothing reads it, it does no harm.
  const Store store = parse_ok(R"({
  "future": 1e9999,
  "bundles": [{"id": "b1", "name": "1e9999 \"-1e400", "extra": [-1e400, {"z": 1E+999}],
               "items": [{"kind": "file", "target": "x", "size": 1.5e309}]}]
})");
  const Store expected{1, {Bundle{"b1", "1e9999 \"-1e400", {Item{Kind::file, "x", "", ""}}}}};
  EXPECT_EQ(store, expected);
}

TEST(StoreLoad, NumberErrorsCarryLineAndColumn) {
  EXPECT_EQ(parse_error("{\"future\": 1,\n \"version\": 1e9999}"),
            "parse error at line 2, column 18: invalid type: found a floating-point number, expected an unsigned "
            "32-bit integer");
  EXPECT_EQ(parse_error("{\"bundles\": [{\"id\": \"b\", \"name\": -1e400}]}"),
            "parse error at line 1, column 39: invalid type: found a floating-point number, expected a string");
  // The text after an out-of-range number is still read as it stands.
  EXPECT_NE(parse_error("{\"future\": 1e9999.5}").find("line 1, column 18"), std::string::npos);
  EXPECT_NE(parse_error("{\"version\": 1.}").find("line 1, column 15"), std::string::npos);
}

TEST(StoreLoad, RepairsEmptyAndRepeatedIds) {
  const Store store = parse_ok(R"({"bundles": [
    {"id": "same", "name": "1"},
    {"id": "same", "name": "2"},
    {"id": "   ", "name": "3"},
    {"id": "", "name": "4"},
    {"id": " same", "name": "5"},
    {"id": "same", "name": "6"},
    {"id": "other", "name": "7"}
  ]})");
  ASSERT_EQ(store.bundles.size(), 7u);
  EXPECT_EQ(store.bundles[0].id, "same");
  EXPECT_EQ(store.bundles[4].id, " same");  // untrimmed comparison: not a repeat
  EXPECT_EQ(store.bundles[6].id, "other");
  std::set<std::string> ids;
  for (const Bundle& b : store.bundles) ids.insert(b.id);
  EXPECT_EQ(ids.size(), 7u);
  for (int fresh : {1, 2, 3, 5}) {
    EXPECT_TRUE(store.bundles[fresh].id.starts_with('b')) << store.bundles[fresh].id;
    EXPECT_GT(store.bundles[fresh].id.size(), 8u);
    EXPECT_EQ(store.bundles[fresh].name, std::to_string(fresh + 1));
  }
}

TEST(StoreLoad, IdsACommandLineCannotCarryAreRepairedAndEveryIdComesBackThroughOne) {
  TempDir dir;
  const std::string path = dir.file("bundles.json");
  write_bytes(path, R"({"bundles": [
    {"id": "quo\"te", "name": "1"},
    {"id": "ends\\", "name": "2"},
    {"id": "tab\there", "name": "3"},
    {"id": "line\nbreak", "name": "4"},
    {"id": "del\u007F", "name": "5"},
    {"id": "in\\side", "name": "6"},
    {"id": "b 2 ü", "name": "7"}
  ]})");
  bool repaired = false;
  const auto store = bundle::load_store(path, &repaired);
  ASSERT_TRUE(store) << store.error().text;
  EXPECT_TRUE(repaired);
  ASSERT_EQ(store->bundles.size(), 7u);
  for (int fresh : {0, 1, 2, 3, 4}) {
    EXPECT_TRUE(store->bundles[fresh].id.starts_with('b')) << fresh;
    EXPECT_GT(store->bundles[fresh].id.size(), 8u) << fresh;
  }
  // A backslash inside and a space are carried as they are.
  EXPECT_EQ(store->bundles[5].id, "in\\side");
  EXPECT_EQ(store->bundles[6].id, "b 2 ü");
  // What a shortcut or a jump-list task passes reaches its bundle.
  for (const Bundle& b : store->bundles) {
    const std::string line = "tolvik.exe --open \"" + b.id + "\"";
    const std::vector<std::string> args = base::split_command_line(base::utf8_to_utf16(line));
    ASSERT_EQ(args.size(), 3u) << b.name;
    EXPECT_EQ(args[2], b.id) << b.name;
  }

  // An id that is fine needs no repair, and the file says so.
  write_bytes(path, R"({"bundles": [{"id": "in\\side", "name": "6"}]})");
  ASSERT_TRUE(bundle::load_store(path, &repaired));
  EXPECT_FALSE(repaired);
}

TEST(StoreLoad, NewIdNeverRepeatsAKeptOne) {
  // A repaired id joins the set too, so a later bundle with a different clash is still fixed.
  const Store store = parse_ok(R"({"bundles": [{"id": "", "name": "a"}, {"id": "", "name": "b"}]})");
  ASSERT_EQ(store.bundles.size(), 2u);
  EXPECT_NE(store.bundles[0].id, store.bundles[1].id);
}

TEST(StoreLoad, Version7RoundTrips) {
  const std::string text = "{\n  \"version\": 7,\n  \"bundles\": []\n}";
  const Store store = parse_ok(text);
  EXPECT_EQ(store.version, 7u);
  EXPECT_EQ(bundle::serialize_store(store), text);
}

TEST(StoreLoad, MissingFileOrFolderIsAnEmptyStore) {
  TempDir dir;
  for (const std::string& path : {dir.file("bundles.json"), dir.file("no/such/folder/bundles.json"), std::string()}) {
    auto store = bundle::load_store(path);
    ASSERT_TRUE(store) << store.error().text;
    EXPECT_EQ(*store, Store{});
  }
  // A "folder" on the way that is a file: the store's folder does not exist either.
  write_bytes(dir.file("plain"), "x");
  auto store = bundle::load_store(dir.file("plain/bundles.json"));
  ASSERT_TRUE(store) << store.error().text;
  EXPECT_EQ(*store, Store{});
}

TEST(StoreLoad, ReadsFilesFromDisk) {
  TempDir dir;
  const std::string path = dir.file("bundles.json");
  write_bytes(path, kBom + R"({"version": 7, "bundles": [{"id": "b1", "name": "묶음"}]})");
  auto store = bundle::load_store(path);
  ASSERT_TRUE(store) << store.error().text;
  EXPECT_EQ(*store, (Store{7, {Bundle{"b1", "묶음", {}}}}));

  write_bytes(path, kBom + kBom);
  store = bundle::load_store(path);
  ASSERT_TRUE(store) << store.error().text;
  EXPECT_EQ(*store, Store{});
}

TEST(StoreLoad, UnreadableFilesAreErrorsWithTheSystemsText) {
  TempDir dir;
  const std::string path = dir.file("bundles.json");
  write_bytes(path, "{\"bundles\": [{\"id\": \"b\", \"name\": \"\xC3\x28\"}]}");
  auto store = bundle::load_store(path);
  ASSERT_FALSE(store);
  EXPECT_EQ(store.error().text, std::strerror(EILSEQ));

  // A folder where the file should be.
  fs::create_directory(dir.file("folder.json"));
  store = bundle::load_store(dir.file("folder.json"));
  ASSERT_FALSE(store);
  EXPECT_EQ(store.error().text, std::strerror(EISDIR));

  write_bytes(path, "{\"bundles\": 1}");
  store = bundle::load_store(path);
  ASSERT_FALSE(store);
  EXPECT_EQ(store.error().text,
            "parse error at line 1, column 13: invalid type: found a number, expected an array of bundles");
}

TEST(StoreLoad, AFileOverTheLimitIsUnreadable) {
  TempDir dir;
  const std::string path = dir.file("bundles.json");
  write_bytes(path, "");
  fs::resize_file(path, bundle::kStoreFileMaxBytes + 1);  // sparse: nothing is written
  auto store = bundle::load_store(path);
  ASSERT_FALSE(store);
  EXPECT_EQ(store.error().text, std::strerror(EFBIG));
}

}  // namespace
