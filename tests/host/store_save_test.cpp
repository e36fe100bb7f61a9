#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>

#include "base/file.h"
#include "bundle/atomic_write.h"
#include "bundle/store_file.h"

namespace {

namespace fs = std::filesystem;
using bundle::Bundle;
using bundle::Item;
using bundle::Kind;
using bundle::Store;

TEST(StoreSave, EmptyStore) {
  EXPECT_EQ(bundle::serialize_store(Store{}), "{\n  \"version\": 1,\n  \"bundles\": []\n}");
  EXPECT_EQ(bundle::serialize_store(Store{7, {}}), "{\n  \"version\": 7,\n  \"bundles\": []\n}");
  EXPECT_EQ(bundle::serialize_store(Store{4294967295u, {}}), "{\n  \"version\": 4294967295,\n  \"bundles\": []\n}");
}

TEST(StoreSave, ExactPrettyForm) {
  const Store store{1,
                    {Bundle{"b18f0a1b2c3d40000abc",
                            "아침 작업",
                            {Item{Kind::app, "C:\\Tools\\notepad.exe", "-n \"C:\\x y\"", ""},
                             Item{Kind::file, "C:\\a.txt", "", "Notes"}, Item{Kind::folder, "D:\\Work\\", "", ""},
                             Item{Kind::url, "https://host.example/a?b=c#d", "ignored but kept", "Site"}}},
                     Bundle{"b2", "", {}}}};
  EXPECT_EQ(bundle::serialize_store(store),
            "{\n"
            "  \"version\": 1,\n"
            "  \"bundles\": [\n"
            "    {\n"
            "      \"id\": \"b18f0a1b2c3d40000abc\",\n"
            "      \"name\": \"아침 작업\",\n"
            "      \"items\": [\n"
            "        {\n"
            "          \"kind\": \"app\",\n"
            "          \"target\": \"C:\\\\Tools\\\\notepad.exe\",\n"
            "          \"args\": \"-n \\\"C:\\\\x y\\\"\"\n"
            "        },\n"
            "        {\n"
            "          \"kind\": \"file\",\n"
            "          \"target\": \"C:\\\\a.txt\",\n"
            "          \"name\": \"Notes\"\n"
            "        },\n"
            "        {\n"
            "          \"kind\": \"folder\",\n"
            "          \"target\": \"D:\\\\Work\\\\\"\n"
            "        },\n"
            "        {\n"
            "          \"kind\": \"url\",\n"
            "          \"target\": \"https://host.example/a?b=c#d\",\n"
            "          \"args\": \"ignored but kept\",\n"
            "          \"name\": \"Site\"\n"
            "        }\n"
            "      ]\n"
            "    },\n"
            "    {\n"
            "      \"id\": \"b2\",\n"
            "      \"name\": \"\",\n"
            "      \"items\": []\n"
            "    }\n"
            "  ]\n"
            "}");
  // A store written before items had options reads and writes back byte for byte.
  const std::string written = bundle::serialize_store(store);
  auto read = bundle::parse_store(written);
  ASSERT_TRUE(read) << read.error().text;
  EXPECT_EQ(bundle::serialize_store(*read), written);
}

TEST(StoreSave, AReviewMarkIsWrittenLastAndOnlyWhenSet) {
  Item marked{Kind::app, "C:\\a.exe", "", "A"};
  marked.unreviewed = true;
  const Store store{1, {Bundle{"b1", "n", {marked, Item{Kind::file, "C:\\b.txt", "", ""}}}}};
  const std::string text = bundle::serialize_store(store);
  EXPECT_NE(text.find("\"name\": \"A\",\n          \"unreviewed\": true\n        },"), std::string::npos) << text;
  EXPECT_EQ(text.find("unreviewed"), text.rfind("unreviewed"));
  auto read = bundle::parse_store(text);
  ASSERT_TRUE(read) << read.error().text;
  EXPECT_EQ(*read, store);
}

TEST(StoreSave, EscapesOnlyWhatJsonRequires) {
  struct Case {
    std::string text;
    std::string written;
  };
  const Case cases[] = {
      {"plain / slash", "\"plain / slash\""},
      {"q\"b\\", "\"q\\\"b\\\\\""},
      {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
      {std::string("\x00\x01\x1f", 3), "\"\\u0000\\u0001\\u001f\""},
      {"\x7f", "\"\x7f\""},
      {"한국어 ü 😀", "\"한국어 ü 😀\""},
      {"\xE2\x80\xA8", "\"\xE2\x80\xA8\""},  // U+2028 stays as it is
      {"bad \xC3\x28 byte", "\"bad \xEF\xBF\xBD( byte\""},
  };
  for (const Case& c : cases) {
    std::string out;
    bundle::serialize_bundle(Bundle{"i", c.text, {}}, out, 0);
    EXPECT_EQ(out, "{\n  \"id\": \"i\",\n  \"name\": " + c.written + ",\n  \"items\": []\n}") << c.text;
  }
}

TEST(StoreSave, BundleAtDepth) {
  std::string out = "x";
  bundle::serialize_bundle(Bundle{"b1", "n", {Item{Kind::url, "https://a", "", ""}}}, out, 1);
  EXPECT_EQ(out,
            "x{\n"
            "    \"id\": \"b1\",\n"
            "    \"name\": \"n\",\n"
            "    \"items\": [\n"
            "      {\n"
            "        \"kind\": \"url\",\n"
            "        \"target\": \"https://a\"\n"
            "      }\n"
            "    ]\n"
            "  }");
}

std::string random_text(std::mt19937& rng) {
  static const char* const pieces[] = {"a",  "Z", " ",    "\\",  "\"", "/", "\n", "\t", "\x01", "\x1f", "\x7f", "é",
                                       "한", "😀", "C:\\", "://", "@",  "{", "}",  "[",  "]",    ",",    ":"};
  std::string text;
  const int length = static_cast<int>(rng() % 8);
  for (int i = 0; i < length; ++i) text += pieces[rng() % std::size(pieces)];
  return text;
}

Store random_store(std::mt19937& rng) {
  Store store{static_cast<std::uint32_t>(rng()), {}};
  const int bundles = static_cast<int>(rng() % 5);
  for (int b = 0; b < bundles; ++b) {
    Bundle bundle{random_text(rng), random_text(rng), {}};
    const int items = static_cast<int>(rng() % 4);
    for (int i = 0; i < items; ++i) {
      bundle.items.push_back(Item{static_cast<Kind>(rng() % 4), random_text(rng), random_text(rng), random_text(rng)});
    }
    store.bundles.push_back(std::move(bundle));
  }
  return store;
}

// The same layout as the JSON library's own pretty printer, built member by member.
std::string library_form(const Store& store) {
  nlohmann::ordered_json root;
  root["version"] = store.version;
  root["bundles"] = nlohmann::ordered_json::array();
  for (const Bundle& b : store.bundles) {
    nlohmann::ordered_json bundle_json;
    bundle_json["id"] = b.id;
    bundle_json["name"] = b.name;
    bundle_json["items"] = nlohmann::ordered_json::array();
    for (const Item& item : b.items) {
      nlohmann::ordered_json item_json;
      item_json["kind"] = std::string(bundle::kind_name(item.kind));
      item_json["target"] = item.target;
      if (!item.args.empty()) item_json["args"] = item.args;
      if (!item.name.empty()) item_json["name"] = item.name;
      bundle_json["items"].push_back(std::move(item_json));
    }
    root["bundles"].push_back(std::move(bundle_json));
  }
  return root.dump(2);
}

TEST(StoreSave, AgreesWithTheLibraryAndRoundTrips) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 300; ++round) {
    const Store store = random_store(rng);
    const std::string text = bundle::serialize_store(store);
    ASSERT_EQ(text, library_form(store)) << "round " << round;
    auto read = bundle::parse_store(text);
    ASSERT_TRUE(read) << read.error().text;
    // Ids that are blank or repeated are replaced on reading; compare the rest.
    ASSERT_EQ(read->bundles.size(), store.bundles.size());
    EXPECT_EQ(read->version, store.version);
    for (std::size_t i = 0; i < store.bundles.size(); ++i) {
      EXPECT_EQ(read->bundles[i].name, store.bundles[i].name);
      EXPECT_EQ(read->bundles[i].items, store.bundles[i].items);
    }
  }
}

// Sets (or removes) an environment variable for one test and puts it back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(StorePath, EnvironmentDecides) {
  {
    ScopedEnv store("TOLVIK_STORE", "/some/where/my store.json");
    ScopedEnv app_data("APPDATA", "/roaming");
    EXPECT_EQ(bundle::store_path(), "/some/where/my store.json");
  }
  {
    ScopedEnv store("TOLVIK_STORE", std::nullopt);
    ScopedEnv app_data("APPDATA", "/roaming/");
    EXPECT_EQ(bundle::store_path(), "/roaming/tolvik/bundles.json");
  }
  {
    ScopedEnv store("TOLVIK_STORE", "");  // names no file
    ScopedEnv app_data("APPDATA", "/roaming");
    EXPECT_EQ(bundle::store_path(), "/roaming/tolvik/bundles.json");
  }
  {
    ScopedEnv store("TOLVIK_STORE", std::nullopt);
    ScopedEnv app_data("APPDATA", std::nullopt);
    ScopedEnv temp("TMPDIR", "/var/tmp-x");
    EXPECT_EQ(bundle::store_path(), "/var/tmp-x/tolvik/bundles.json");
  }
  {
    ScopedEnv store("TOLVIK_STORE", std::nullopt);
    ScopedEnv app_data("APPDATA", std::nullopt);
    ScopedEnv temp("TMPDIR", std::nullopt);
    EXPECT_EQ(bundle::store_path(), "/tmp/tolvik/bundles.json");
  }
}

TEST(StorePath, OnlyASetNonEmptyVariableNamesAnotherStore) {
  {
    ScopedEnv store("TOLVIK_STORE", std::nullopt);
    EXPECT_EQ(bundle::store_path_override(), std::nullopt);
  }
  {
    ScopedEnv store("TOLVIK_STORE", "");
    EXPECT_EQ(bundle::store_path_override(), std::nullopt);
  }
  {
    ScopedEnv store("TOLVIK_STORE", "/some/where/my store.json");
    EXPECT_EQ(bundle::store_path_override(), "/some/where/my store.json");
  }
}

TEST(StoreSave, FirstSaveCreatesTheStoreFolder) {
  std::string pattern = (fs::temp_directory_path() / "tolvik-store-save-XXXXXX").string();
  const std::string root = ::mkdtemp(pattern.data());
  const std::string path = root + "/not/there/yet/bundles.json";
  ScopedEnv store_env("TOLVIK_STORE", path);

  const std::string chosen = bundle::store_path();
  ASSERT_EQ(chosen, path);
  auto before = bundle::load_store(chosen);
  ASSERT_TRUE(before) << before.error().text;
  EXPECT_EQ(*before, Store{});

  Store store{1, {Bundle{"b1", "n", {Item{Kind::folder, "D:\\Work\\", "", ""}}}}};
  auto written = bundle::write_file_atomically(chosen, bundle::serialize_store(store));
  ASSERT_TRUE(written) << written.error().text;
  EXPECT_TRUE(base::is_directory(root + "/not/there/yet"));
  auto after = bundle::load_store(chosen);
  ASSERT_TRUE(after) << after.error().text;
  EXPECT_EQ(*after, store);

  std::error_code ignored;
  fs::remove_all(root, ignored);
}

}  // namespace
