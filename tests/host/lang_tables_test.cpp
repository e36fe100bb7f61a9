#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "lang/lang.h"

namespace {

// The stored form keeps member order; nlohmann's ordered_json does too.
std::vector<std::pair<std::string, std::string>> members(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> out;
  const auto parsed = nlohmann::ordered_json::parse(text);
  for (const auto& [key, value] : parsed.items()) out.emplace_back(key, value.get<std::string>());
  return out;
}

// The keys of the forms, beyond "other", that the language's rule picks for
// some count, in the order of lang::Plural.
std::vector<std::string> count_form_keys(std::string_view code) {
  std::set<lang::Plural> used;
  for (std::uint64_t n = 0; n <= 1000; ++n) used.insert(lang::plural_form(code, n));
  std::vector<std::string> keys;
  for (lang::Plural form : used) {
    if (form != lang::Plural::other) keys.push_back(lang::plural_key("{0} items", form));
  }
  return keys;
}

constexpr std::size_t kCommonKeys = 202;

std::multiset<std::string> placeholders(const std::string& text) {
  static const std::regex pattern(R"(\{[0-9]+\})");
  std::multiset<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
    found.insert(it->str());
  }
  return found;
}

TEST(LangTables, TheEightTablesAreBuiltIn) {
  const auto codes = lang::table_codes();
  const std::set<std::string_view> got(codes.begin(), codes.end());
  EXPECT_EQ(got, (std::set<std::string_view>{"de", "es", "fr", "ja", "pt", "ru", "zh-Hans", "zh-Hant"}));
  for (const lang::Language& l : lang::languages()) {
    const bool built_in = l.code == "en" || l.code == "ko";
    EXPECT_EQ(lang::table_text(l.code).empty(), built_in) << l.code;
  }
}

TEST(LangTables, StoredFormOneMemberPerLineWithCrLf) {
  for (std::string_view code : lang::table_codes()) {
    const std::string_view text = lang::table_text(code);
    ASSERT_TRUE(text.starts_with("{\r\n")) << code;
    ASSERT_TRUE(text.ends_with("\"\r\n}")) << code;
    EXPECT_EQ(text.substr(0, 3).find("\xEF\xBB\xBF"), std::string_view::npos) << code;
    std::size_t lines = 0;
    for (std::size_t at = 3; at < text.size() - 1;) {
      const std::size_t end = text.find("\r\n", at);
      ASSERT_NE(end, std::string_view::npos) << code;
      const std::string_view line = text.substr(at, end - at);
      ASSERT_TRUE(line.starts_with(" \"") && !line.starts_with("  ")) << code << ": " << line;
      EXPECT_EQ(line.find('\n'), std::string_view::npos) << code;
      at = end + 2;
      ++lines;
      if (text.substr(at) == "}") break;
      EXPECT_TRUE(line.ends_with("\",")) << code << ": " << line;
    }
    EXPECT_EQ(lines, kCommonKeys + count_form_keys(code).size()) << code;
  }
}

TEST(LangTables, SameKeysInTheSameOrderWithTheirPlaceholders) {
  auto reference = members(lang::table_text("ja"));
  ASSERT_EQ(reference.size(), kCommonKeys);
  for (std::string_view code : lang::table_codes()) {
    const auto table = members(lang::table_text(code));
    // The common keys, then the count forms the language's rule needs.
    auto expected = reference;
    for (const std::string& key : count_form_keys(code)) expected.emplace_back(key, std::string());
    ASSERT_EQ(table.size(), expected.size()) << code;
    for (std::size_t i = 0; i < table.size(); ++i) {
      EXPECT_EQ(table[i].first, expected[i].first) << code << " member " << i;
      EXPECT_FALSE(table[i].second.empty()) << code << ": " << table[i].first;
      // The dialogs' OK button is called so by these languages' Windows as well.
      const bool same_allowed = table[i].first == "OK" && (code == "de" || code == "fr" || code == "ja" || code == "pt");
      if (!same_allowed) {
        EXPECT_NE(table[i].second, table[i].first) << code << ": untranslated";
      }
      EXPECT_EQ(placeholders(table[i].second), placeholders(table[i].first)) << code << ": " << table[i].first;
    }
  }
}

TEST(LangTables, EveryTableTranslatesTheLookupKeys) {
  for (std::string_view code : lang::table_codes()) {
    for (const auto& [key, value] : members(lang::table_text(code))) {
      EXPECT_EQ(lang::text_in(code, "-", key), value) << code << ": " << key;
    }
  }
}

}  // namespace
